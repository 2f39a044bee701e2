#pragma once

#include <random>

namespace vlm {

// A uniform generator in [0, 1) that can be reseeded from a number.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void reseed(double seed) = 0;
    virtual float next() = 0;
};

class MersenneRandom final : public RandomSource {
public:
    void reseed(double seed) override;
    float next() override;

private:
    std::mt19937 engine_;
};

} // namespace vlm
