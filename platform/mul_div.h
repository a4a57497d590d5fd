#pragma once

namespace dbx {

// a * b / c rounded half away from zero, as the classic multiply-divide helper does; -1 when
// c is 0. The product never overflows; the result is held to the int range.
int MulDiv(int a, int b, int c);

}  // namespace dbx
