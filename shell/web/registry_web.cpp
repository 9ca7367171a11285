// The settings in the browser: one localStorage entry per registry value,
// under the value's name, holding its type beside its data, so that a value
// of another type or size counts as absent as it does in the registry.
#include <emscripten.h>

#include "shell/platform.h"

namespace
{

// The page checks a value's type and size (ZandrekPage.settings).
EM_JS(int, web_get_dword, (const char* name, uint32_t* value),
      { return ZandrekPage.settings.getDword(UTF8ToString(name), value); });
EM_JS(void, web_set_dword, (const char* name, uint32_t value),
      { ZandrekPage.settings.setDword(UTF8ToString(name), value); });
EM_JS(int, web_get_string, (const char* name, char* buffer, uint32_t capacity),
      { return ZandrekPage.settings.getString(UTF8ToString(name), buffer, capacity); });
EM_JS(void, web_set_string, (const char* name, const char* text, uint32_t bytes),
      { ZandrekPage.settings.setString(UTF8ToString(name), text, bytes); });

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
