#pragma once
// Integers in the programs' texts, read as the C library reads them.
#include <string_view>

namespace lokaro {

// Leading blanks, a sign and decimal digits at the start of text; what
// follows is ignored. 0 when there are no digits; limited to the int range.
int readInt(std::u16string_view text);

} // namespace lokaro
