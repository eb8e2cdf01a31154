#include "random.h"

namespace veltrano {

Random& Random::program() {
    static Random generator;
    return generator;
}

} // namespace veltrano
