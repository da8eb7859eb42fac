// What a run refuses, it refuses with this, in words every front end shows as they stand.
#pragma once

#include <stdexcept>

namespace morvane {

class RunRefused : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

} // namespace morvane
