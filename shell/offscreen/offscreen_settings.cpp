// The off-screen settings store: a map of typed values, checked for type
// and size as the registry checks them.
#include "shell/offscreen/offscreen_internal.h"

#include <cstring>

int platform_reg_get_dword(const char* name, uint32_t* value)
{
    const auto& reg = offscreen().registry;
    auto it = reg.find(name);
    if (it == reg.end() || !it->second.is_dword || it->second.bytes.size() != 4) return 0;
    std::memcpy(value, it->second.bytes.data(), 4);
    return 1;
}

void platform_reg_set_dword(const char* name, uint32_t value)
{
    Platform_call& c = offscreen_record(CALL_REG_SET);
    c.text = name;
    c.a = value;
    Registry_value& v = offscreen().registry[name];
    v.is_dword = true;
    v.bytes.assign(reinterpret_cast<const uint8_t*>(&value), reinterpret_cast<const uint8_t*>(&value) + 4);
}

int platform_reg_get_string(const char* name, char* buffer, uint32_t capacity)
{
    const auto& reg = offscreen().registry;
    auto it = reg.find(name);
    if (it == reg.end() || it->second.is_dword || it->second.bytes.size() > capacity) return 0;
    std::memcpy(buffer, it->second.bytes.data(), it->second.bytes.size());
    return 1;
}

void platform_reg_set_string(const char* name, const char* text, uint32_t bytes)
{
    Platform_call& c = offscreen_record(CALL_REG_SET);
    c.text = name;
    c.extra.assign(text, strnlen(text, bytes));
    Registry_value& v = offscreen().registry[name];
    v.is_dword = false;
    v.bytes.assign(reinterpret_cast<const uint8_t*>(text), reinterpret_cast<const uint8_t*>(text) + bytes);
}
