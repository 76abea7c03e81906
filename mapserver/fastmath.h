#pragma once
// Cheap smooth approximations for the weather model's inner loops (it calls them a few
// hundred thousand times per map; accuracy to a few percent is plenty).

// e^x for x <= 0 as (1 + x/256)^256; smooth, monotonic, 0 below -40.
inline float expNeg(float x)
{
    if (x < -40.0f)
        return 0.0f;
    float y = 1.0f + x * (1.0f / 256.0f);
    for (int i = 0; i < 8; ++i)
        y *= y;
    return y;
}

// Logistic curve 1 / (1 + e^-x).
inline float logistic(float x)
{
    return x >= 0 ? 1.0f / (1.0f + expNeg(-x)) : expNeg(x) / (1.0f + expNeg(x));
}
