#pragma once

#include <string_view>

/// Whether name matches the shell pattern: * any run of characters, ? any
/// one, [abc], [a-z] and [!a-z] a set of them, \x the character x. As in
/// file name matching, the characters are bytes; a [ without its ] is
/// itself.
bool matchesGlob(std::string_view pattern, std::string_view name);
