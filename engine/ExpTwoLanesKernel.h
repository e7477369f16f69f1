// exp2f in lanes (see ExpTwoLanes.h).  Included inside an anonymous
// namespace by each lane kernel after its lane types, bitsAsIntegers and
// scaleFromTable.

inline F8 exp2Lanes (F8 x) noexcept
{
    const D8 xd = maxOf (minOf (toDouble (x), D8::broadcast (ExpTwoLanes::highest)), D8::broadcast (ExpTwoLanes::lowest));
    const D8 shift = D8::broadcast (ExpTwoLanes::shift);
    const D8 shifted = xd + shift;
    const D8 scale = scaleFromTable (bitsAsIntegers (shifted));
    const D8 r = xd - (shifted - shift);
    const D8 z = D8::broadcast (ExpTwoLanes::c0) * r + D8::broadcast (ExpTwoLanes::c1);
    const D8 r2 = r * r;
    D8 y = D8::broadcast (ExpTwoLanes::c2) * r + D8::broadcast (1.0);
    y = z * r2 + y;
    return toFloat (y * scale);
}
