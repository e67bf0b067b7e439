#include "platform/d3d9/device_state.h"

namespace platform::d3d9 {

Faults& GlobalFaults()
{
    static Faults faults;
    return faults;
}

bool TakeFailure(int& counter)
{
    if (counter <= 0)
        return false;
    --counter;
    return true;
}

} // namespace platform::d3d9
