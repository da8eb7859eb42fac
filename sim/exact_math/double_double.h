// Numbers of about 106 bits as the unevaluated sum of two doubles, in IEEE double addition,
// subtraction, multiplication and division alone (Dekker's and Knuth's error-free sums and
// products, without a fused multiply-add), so every machine gets the same bits: the quick way
// of the core's arc tangent.
#pragma once

namespace morvane::exact {

// high + low, with |low| at most half an ulp of high.
struct DoubleDouble {
    double high = 0;
    double low = 0;
};

// a + b exactly, for any a and b.
constexpr DoubleDouble TwoSum(double a, double b)
{
    const double sum = a + b;
    const double b_part = sum - a;
    return {sum, (a - (sum - b_part)) + (b - b_part)};
}

// a + b exactly, for |a| >= |b| (or a zero).
constexpr DoubleDouble QuickTwoSum(double a, double b)
{
    const double sum = a + b;
    return {sum, b - (sum - a)};
}

// a * b exactly, for products far from overflow and underflow: each factor split into two
// halves of 26 bits whose products are exact (Veltkamp's splitting, Dekker's product).
constexpr DoubleDouble TwoProduct(double a, double b)
{
    constexpr double Splitter = 134217729.0; // 2^27 + 1
    const double a_scaled = Splitter * a, b_scaled = Splitter * b;
    const double a_high = a_scaled - (a_scaled - a), a_low = a - a_high;
    const double b_high = b_scaled - (b_scaled - b), b_low = b - b_high;
    const double product = a * b;
    const double error =
        ((a_high * b_high - product) + a_high * b_low + a_low * b_high) + a_low * b_low;
    return {product, error};
}

constexpr DoubleDouble Add(DoubleDouble a, DoubleDouble b)
{
    const DoubleDouble high = TwoSum(a.high, b.high);
    const DoubleDouble low = TwoSum(a.low, b.low);
    DoubleDouble sum = QuickTwoSum(high.high, high.low + low.high);
    sum = QuickTwoSum(sum.high, sum.low + low.low);
    return sum;
}

constexpr DoubleDouble Negated(DoubleDouble a) { return {-a.high, -a.low}; }

constexpr DoubleDouble Multiply(DoubleDouble a, DoubleDouble b)
{
    const DoubleDouble product = TwoProduct(a.high, b.high);
    return QuickTwoSum(product.high, product.low + (a.high * b.low + a.low * b.high));
}

constexpr DoubleDouble Multiply(DoubleDouble a, double b)
{
    const DoubleDouble product = TwoProduct(a.high, b);
    return QuickTwoSum(product.high, product.low + a.low * b);
}

// a / b by three quotient digits, each a double division of what is left.
constexpr DoubleDouble Divide(DoubleDouble a, DoubleDouble b)
{
    const double first = a.high / b.high;
    DoubleDouble rest = Add(a, Negated(Multiply(b, first)));
    const double second = rest.high / b.high;
    rest = Add(rest, Negated(Multiply(b, second)));
    const double third = rest.high / b.high;
    return Add(QuickTwoSum(first, second), DoubleDouble{third, 0});
}

} // namespace morvane::exact
