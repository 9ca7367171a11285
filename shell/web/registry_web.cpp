// The settings in the browser: one localStorage entry per registry value,
// under the value's name, holding its type beside its data, so that a value
// of another type or size counts as absent as it does in the registry.
#include <emscripten.h>

#include "shell/platform.h"

namespace
{

EM_JS(int, web_get_dword, (const char* name, uint32_t* value), {
    const v = ZandrekPage.settings.get(UTF8ToString(name));
    if (!v || v.type !== "dword" || !Number.isInteger(v.value) || v.value < 0 || v.value > 0xFFFFFFFF) return 0;
    HEAPU32[value >> 2] = v.value;
    return 1;
});
EM_JS(void, web_set_dword, (const char* name, uint32_t value),
      { ZandrekPage.settings.set(UTF8ToString(name), {type : "dword", value : value >>> 0}); });
// A string value keeps all the bytes it was stored with, as the registry
// does; it fits when all of them do.
EM_JS(int, web_get_string, (const char* name, char* buffer, uint32_t capacity), {
    const v = ZandrekPage.settings.get(UTF8ToString(name));
    if (!v || v.type !== "string" || !Array.isArray(v.bytes) || v.bytes.length > capacity) return 0;
    for (let i = 0; i < v.bytes.length; ++i)
        HEAPU8[buffer + i] = v.bytes[i];
    return 1;
});
EM_JS(void, web_set_string, (const char* name, const char* text, uint32_t bytes), {
    ZandrekPage.settings.set(UTF8ToString(name), {type : "string", bytes : Array.from(HEAPU8.subarray(text, text + bytes))});
});

} // namespace

int platform_open_settings()
{
    return EM_ASM_INT({ return ZandrekPage.settings.open() ? 0 : -1; });
}

void platform_close_settings() {}

int platform_reg_get_dword(const char* name, uint32_t* value)
{
    return web_get_dword(name, value);
}

void platform_reg_set_dword(const char* name, uint32_t value)
{
    web_set_dword(name, value);
}

int platform_reg_get_string(const char* name, char* buffer, uint32_t capacity)
{
    return web_get_string(name, buffer, capacity);
}

void platform_reg_set_string(const char* name, const char* text, uint32_t bytes)
{
    web_set_string(name, text, bytes);
}
