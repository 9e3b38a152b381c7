// Constants shared by the scalar and the lane evaluations of the correctly
// rounded sine, cosine and arc tangent (RoundedMath.h, RoundedLanes.h).
// Every value is the nearest double (pairs: the nearest double and the
// nearest double to what remains) of the exact constant.
#pragma once

namespace kestrow::matte::rounded {

// A value as the unevaluated sum hi + lo, |lo| at most half a unit of hi.
struct DD {
  double hi, lo;
};

inline constexpr DD kHalfPi = {0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54};
inline constexpr DD kPi = {0x1.921fb54442d18p+1, 0x1.1a62633145c07p-53};
inline constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;

// pi/2 as 33 + 33 + 53 bits: k * kHalfPi1 and k * kHalfPi2 are exact for
// |k| < 2^20, and what the three leave out is below 2^-119.
inline constexpr double kHalfPi1 = 0x1.921fb54400000p+0;
inline constexpr double kHalfPi2 = 0x1.0b4611a600000p-34;
inline constexpr double kHalfPi3 = 0x1.3198a2e037073p-69;
// Arguments below this take the three-part reduction in lanes; larger
// ones (rare) the exact reduction of the scalar function.
inline constexpr double kLaneReductionLimit = 0x1p19;

// Near-minimax polynomials for the lanes (rounded coefficients checked on
// a dense grid): (sin r - r) / r^3 in r^2 for |r| <= pi/2, off by below
// 2^-50 of sin r, and (atan u - u) / u^3 in u^2 for |u| <= 1/16, below
// 2^-50 of atan u. Lowest coefficient first.
inline constexpr double kSinLane[] = {
    -0x1.555555555554fp-3,  0x1.1111111110064p-7,  -0x1.a01a019e695f4p-13, 0x1.71de394e3dc0dp-19,
    -0x1.ae63bdeee4c6cp-26, 0x1.60f6ee88df77ap-33, -0x1.a108fba8478aap-41};
inline constexpr double kAtanLane[] = {-0x1.55555555549c5p-2, 0x1.9999996b5799ep-3,
                                       -0x1.249161bf79dc4p-3, 0x1.c43703b60aac9p-4};
inline constexpr double kOneOverPi = 0x1.45f306dc9c883p-2;

// 2/pi, bits 1 to 384 after the binary point, most significant word first.
inline constexpr unsigned long long kTwoOverPiBits[] = {
    0xa2f9836e4e441529ULL, 0xfc2757d1f534ddc0ULL, 0xdb6295993c439041ULL,
    0xfe5163abdebbc561ULL, 0xb7246e3a424dd2e0ULL, 0x06492eea09d1921cULL};

// Taylor coefficients, in the order of Horner's scheme from the lowest:
inline constexpr double kSinFast[] = {
    -0x1.5555555555555p-3,  0x1.1111111111111p-7,  -0x1.a01a01a01a01ap-13, 0x1.71de3a556c734p-19,
    -0x1.ae64567f544e4p-26, 0x1.6124613a86d09p-33, -0x1.ae7f3e733b81fp-41, 0x1.952c77030ad4ap-49};
inline constexpr double kCosFast[] = {
    -0x1.0000000000000p-1,  0x1.5555555555555p-5,   -0x1.6c16c16c16c17p-10,
    0x1.a01a01a01a01ap-16,  -0x1.27e4fb7789f5cp-22, 0x1.1eed8eff8d898p-29,
    -0x1.93974a8c07c9dp-37, 0x1.ae7f3e733b81fp-45,  -0x1.6827863b97d97p-53};
inline constexpr double kAtanFast[] = {
    -0x1.5555555555555p-2, 0x1.999999999999ap-3, -0x1.2492492492492p-3, 0x1.c71c71c71c71cp-4,
    -0x1.745d1745d1746p-4, 0x1.3b13b13b13b14p-4, -0x1.1111111111111p-4};
inline constexpr DD kSinSlow[] = {{-0x1.5555555555555p-3, -0x1.5555555555555p-57},
                                  {0x1.1111111111111p-7, 0x1.1111111111111p-63},
                                  {-0x1.a01a01a01a01ap-13, -0x1.a01a01a01a01ap-73},
                                  {0x1.71de3a556c734p-19, -0x1.c154f8ddc6c00p-73},
                                  {-0x1.ae64567f544e4p-26, 0x1.c062e06d1f209p-80},
                                  {0x1.6124613a86d09p-33, 0x1.f28e0cc748ebep-87},
                                  {-0x1.ae7f3e733b81fp-41, -0x1.1d8656b0ee8cbp-97},
                                  {0x1.952c77030ad4ap-49, 0x1.ac981465ddc6cp-103},
                                  {-0x1.2f49b46814157p-57, -0x1.2650f61dbdcb4p-112},
                                  {0x1.71b8ef6dcf572p-66, -0x1.d043ae40c4647p-120},
                                  {-0x1.761b41316381ap-75, 0x1.3423c7d91404fp-130},
                                  {0x1.3f3ccdd165fa9p-84, -0x1.58ddadf344487p-139},
                                  {-0x1.d1ab1c2dccea3p-94, -0x1.054d0c78aea14p-149}};
inline constexpr DD kCosSlow[] = {{-0x1.0000000000000p-1, 0x0.0p+0},
                                  {0x1.5555555555555p-5, 0x1.5555555555555p-59},
                                  {-0x1.6c16c16c16c17p-10, 0x1.f49f49f49f49fp-65},
                                  {0x1.a01a01a01a01ap-16, 0x1.a01a01a01a01ap-76},
                                  {-0x1.27e4fb7789f5cp-22, -0x1.cbbc05b4fa99ap-76},
                                  {0x1.1eed8eff8d898p-29, -0x1.2aec959e14c06p-83},
                                  {-0x1.93974a8c07c9dp-37, -0x1.05d6f8a2efd1fp-92},
                                  {0x1.ae7f3e733b81fp-45, 0x1.1d8656b0ee8cbp-101},
                                  {-0x1.6827863b97d97p-53, -0x1.eec01221a8b0bp-107},
                                  {0x1.e542ba4020225p-62, 0x1.ea72b4afe3c2fp-120},
                                  {-0x1.0ce396db7f853p-70, 0x1.aebcdbd20331cp-124},
                                  {0x1.f2cf01972f578p-80, -0x1.9ada5fcc1ab14p-135},
                                  {-0x1.88e85fc6a4e5ap-89, 0x1.71c37ebd16540p-143},
                                  {0x1.0a18a2635085dp-98, 0x1.b9e2e28e1aa54p-153}};
inline constexpr DD kAtanSlow[] = {
    {-0x1.5555555555555p-2, -0x1.5555555555555p-56}, {0x1.999999999999ap-3, -0x1.999999999999ap-57},
    {-0x1.2492492492492p-3, -0x1.2492492492492p-57}, {0x1.c71c71c71c71cp-4, 0x1.c71c71c71c71cp-58},
    {-0x1.745d1745d1746p-4, 0x1.745d1745d1746p-59},  {0x1.3b13b13b13b14p-4, -0x1.3b13b13b13b14p-58},
    {-0x1.1111111111111p-4, -0x1.1111111111111p-60}, {0x1.e1e1e1e1e1e1ep-5, 0x1.e1e1e1e1e1e1ep-61},
    {-0x1.af286bca1af28p-5, -0x1.af286bca1af28p-59}, {0x1.8618618618618p-5, 0x1.8618618618618p-59},
    {-0x1.642c8590b2164p-5, -0x1.642c8590b2164p-60}, {0x1.47ae147ae147bp-5, -0x1.eb851eb851eb8p-61},
    {-0x1.2f684bda12f68p-5, -0x1.2f684bda12f68p-59}};
inline constexpr DD kAtanEighths[] = {{0x0.0p+0, 0x0.0p+0},
                                      {0x1.fd5ba9aac2f6ep-4, -0x1.cd37686760c17p-59},
                                      {0x1.f5b75f92c80ddp-3, 0x1.8ab6e3cf7afbdp-57},
                                      {0x1.6f61941e4def1p-2, -0x1.c63aae6f6e918p-56},
                                      {0x1.dac670561bb4fp-2, 0x1.a2b7f222f65e2p-56},
                                      {0x1.1e00babdefeb4p-1, -0x1.928df287a668fp-58},
                                      {0x1.4978fa3269ee1p-1, 0x1.2419a87f2a458p-56},
                                      {0x1.700a7c5784634p-1, -0x1.8c34d25aadef6p-56},
                                      {0x1.921fb54442d18p-1, 0x1.1a62633145c07p-55}};

}  // namespace kestrow::matte::rounded
