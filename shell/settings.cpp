#include <cstring>

#include "engine/game_state.h"
#include "shell/platform.h"

int reg_get_dword(const char* name, uint32_t* value)
{
    return platform_reg_get_dword(name, value);
}
void reg_set_dword(const char* name, uint32_t value)
{
    platform_reg_set_dword(name, value);
}
int reg_get_string(const char* name, char* buffer, uint32_t capacity)
{
    return platform_reg_get_string(name, buffer, capacity);
}
void reg_set_string(const char* name, const char* text)
{
    platform_reg_set_string(name, text, static_cast<uint32_t>(std::strlen(text) + 1));
}
