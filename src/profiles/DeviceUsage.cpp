#include "profiles/DeviceUsage.h"

namespace zq {

USAGE_AND_PAGE DeviceUsageAndPage{};

} // namespace zq
