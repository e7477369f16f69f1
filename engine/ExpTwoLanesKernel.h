// exp2f and exp2 in lanes (see ExpTwoLanes.h).  Included inside an anonymous
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

/** 2^x in double precision for |x| <= 1000, within two units in the last
    place (not always the C library's last bit): the table's 2^(k / 32) times
    a degree-6 polynomial of 2^r, |r| <= 1 / 64, whose own error is below
    4e-18. */
inline D8 exp2DoubleLanes (D8 x) noexcept
{
    const D8 shift = D8::broadcast (ExpTwoLanes::shift);
    const D8 shifted = x + shift;
    const D8 scale = scaleFromTable (bitsAsIntegers (shifted));
    const D8 r = x - (shifted - shift);
    D8 p = D8::broadcast (ExpTwoLanes::d6);
    p = p * r + D8::broadcast (ExpTwoLanes::d5);
    p = p * r + D8::broadcast (ExpTwoLanes::d4);
    p = p * r + D8::broadcast (ExpTwoLanes::d3);
    p = p * r + D8::broadcast (ExpTwoLanes::d2);
    p = p * r + D8::broadcast (ExpTwoLanes::d1);
    return scale + scale * (p * r);
}
