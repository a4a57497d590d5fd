#pragma once

namespace dbx {

// Which instructions a byte filter uses: all give the same, the best the machine has fastest.
enum class FilterInstructions { Best, Sse2, Plain };

// Whether this processor runs AVX2 (false off x86-64).
bool HasAvx2();

}  // namespace dbx
