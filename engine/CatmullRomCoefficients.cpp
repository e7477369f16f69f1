#include "engine/CatmullRomCoefficients.h"

namespace
{
constexpr float catmullRomTable[16] = {
     0.5f, -0.5f,  0.0f, 0.0f,   // newest sample
    -1.5f,  2.0f,  0.5f, 0.0f,   // second-newest (reached at t = 1)
     1.5f, -2.5f,  0.0f, 1.0f,   // second-oldest (reached at t = 0)
    -0.5f,  1.0f, -0.5f, 0.0f    // oldest sample
};

struct UpsamplingTableHolder
{
    UpsamplingTable rows;

    UpsamplingTableHolder() noexcept
    {
        for (int k = 0; k < 4; ++k)
            for (int j = 0; j < 4; ++j)
                rows[k][j] = catmullRomWeight (j, (float) k / 4.0f);
    }
};
} // namespace

const float* const catmullRomCoefficients = catmullRomTable;

const UpsamplingTable& upsamplingTable() noexcept
{
    static const UpsamplingTableHolder holder;
    return holder.rows;
}
