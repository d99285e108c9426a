// "config.ini" on arbitrary bytes: the reader and every setting read from it
// must never crash or read out of bounds, and the settings keep their limits
// (identifier lists of at most 101 entries, the registry key below "software\").
#include "platform/PortableIni.h"
#include "profiles/ConfigFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zq::PortableIniFile ini(std::string_view(reinterpret_cast<const char*>(data), size));

    const auto options = zq::ReadOptionsFromConfigFile(ini);
    if (options.ProfileRegFolder.rfind(u"software\\", 0) != 0)
        std::abort();
    zq::ReadOtherConfig(ini);
    zq::ReadDriverInfo(ini);
    for (const auto* section : {u"IncludeHIDDeviceList", u"devicelist", u"usbdevicelist"})
        if (zq::ReadIdentifierList(ini, section).size() > 101)
            std::abort();

    // Every value as a number too, as the settings read them.
    for (const auto& key : ini.ReadSectionKeys(u"DEVICE")) {
        std::int32_t value = 0;
        zq::ParseIniInteger(ini.ReadString(u"DEVICE", key, u""), value);
    }
    return 0;
}
