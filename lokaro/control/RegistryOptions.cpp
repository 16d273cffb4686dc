#include "control/RegistryOptions.h"
#include "files/TextNumber.h"
#include "files/TrackFolder.h"

#include "platform/file.h"
#include "platform/registry.h"
#include "platform/text.h"

#include <algorithm>
#include <optional>

namespace lokaro {

namespace {

using platform::HKEY_CURRENT_USER;
using platform::RegistryKey;

std::optional<RegistryKey> openKey(std::u16string_view key) {
    return RegistryKey::Create(HKEY_CURRENT_USER, key);
}

uint32_t readDword(const RegistryKey& key, std::u16string_view name) {
    return key.QueryDword(name).value_or(0);
}

// "%s_%i"
std::u16string flagName(std::u16string_view name, uint32_t value) {
    return std::u16string(name) + u"_" +
           platform::FromUtf8(std::to_string(static_cast<int32_t>(value)));
}

} // namespace

std::string flagData() {
    std::u16string path = platform::ProgramFilePath();
    path.resize(std::min(path.size(), FlagDataSize / 2 - 1));
    std::string data(FlagDataSize, '\0');
    for (size_t i = 0; i < path.size(); ++i) {
        data[2 * i] = static_cast<char>(path[i] & 0xFF);
        data[2 * i + 1] = static_cast<char>(path[i] >> 8);
    }
    return data;
}

int setFlag(std::u16string_view key, std::u16string_view name, FlagMode mode) {
    auto handle = openKey(key);
    if (!handle)
        return 0;
    switch (mode) {
    case FlagMode::Remove:
        return handle->DeleteValue(name) ? 1 : 0;
    case FlagMode::Set:
        return handle->SetValue(name, platform::ValueType::String, flagData()) ? 1 : 0;
    case FlagMode::Toggle:
        if (handle->QueryValue(name))
            return handle->DeleteValue(name) ? 0 : 1;
        return handle->SetValue(name, platform::ValueType::String, flagData()) ? 1 : 0;
    case FlagMode::Read: {
        // As reading into a DWORD: data that does not fit reads as nothing.
        auto value = handle->QueryValue(name);
        if (!value || value->data.empty() || value->data.size() > 4)
            return 0;
        return static_cast<unsigned char>(value->data[0]);
    }
    }
    return 0;
}

uint32_t setOptionCode(std::u16string_view key, std::u16string_view name, uint32_t code,
                       uint32_t max) {
    auto handle = openKey(key);
    if (!handle)
        return 0;
    uint32_t value = readDword(*handle, name);
    if (code == 0)
        return value;
    if (code == 1)
        value = value + 1 > max ? 0 : value + 1;
    else
        value = code - 2;
    handle->SetDword(name, value);
    return value;
}

int stepValue(std::u16string_view key, std::u16string_view name, std::u16string_view text, int min,
              int max, Wrap wrap, const StepSettings& settings) {
    auto handle = openKey(key);
    if (!handle)
        return 0;
    const int current = static_cast<int32_t>(readDword(*handle, name));
    long long value;
    if (text.starts_with(u"-"))
        value = static_cast<long long>(current) - readInt(text.substr(1));
    else if (text.starts_with(u"+"))
        value = static_cast<long long>(current) + readInt(text.substr(1));
    else
        value = readInt(text);
    if (settings.wrapOverride != -1)
        wrap = settings.wrapOverride ? Wrap::Yes : Wrap::No;
    if (wrap == Wrap::Yes && value < min && current == min)
        value = max;
    else if (wrap == Wrap::Yes && value > max && current == max)
        value = min;
    const int result = static_cast<int>(std::clamp<long long>(value, min, max));
    if (settings.x >= 0 && settings.y >= 0 && settings.show)
        settings.show(platform::FromUtf8(std::to_string(result)));
    handle->SetDword(name, static_cast<uint32_t>(result));
    return result;
}

void rebuildOptionMirror() {
    RegistryKey::Delete(HKEY_CURRENT_USER, OptionMirrorKey);
    auto options = openKey(RouteOptionsKey);
    if (!options)
        return;
    for (std::u16string_view name : {u"DontUseFerries", u"DontUseRoadClass0", u"DontUseTunnels",
                                     u"NaviMode", u"OmitTollRoads", u"RouteOptimation"})
        setFlag(OptionMirrorKey, flagName(name, readDword(*options, name)), FlagMode::Set);
    setFlag(OptionMirrorKey,
            flagName(flagName(u"DynamicMode", readDword(*options, u"DynamicMode")),
                     readDword(*options, u"UseDynamicInfo")),
            FlagMode::Set);
}

bool applyRouteOptions(uint32_t packed, int lklickson) {
    auto bits = [packed](int first, int count) { return (packed >> first) & ((1u << count) - 1); };
    setOptionCode(RouteOptionsKey, u"DontUseRoadClass0", bits(0, 2), 1);
    setOptionCode(RouteOptionsKey, u"OmitTollRoads", bits(2, 2), 1);
    setOptionCode(RouteOptionsKey, u"DontUseFerries", bits(4, 2), 1);
    setOptionCode(RouteOptionsKey, u"DontUseTunnels", bits(6, 2), 1);
    if (bits(8, 3) >= 2) {
        if (auto options = openKey(RouteOptionsKey)) {
            options->SetDword(u"UseDynamicInfo", bits(8, 1) ? 1 : 0);
            options->SetDword(u"DynamicMode", bits(9, 1) ? 0 : 1);
        }
    }
    setOptionCode(RouteOptionsKey, u"RouteOptimation", bits(11, 3), 2);
    setOptionCode(RouteOptionsKey, u"NaviMode", bits(14, 3), 3);

    rebuildOptionMirror();

    bool arm = false;
    if (bits(6, 2) != 0)
        setFlag(LokaroKey, u"DontUseTunnels", FlagMode::Set);
    if (lklickson != -1 && (lklickson & 4))
        arm = setFlag(LokaroKey, u"DontUseTunnels", FlagMode::Remove) != 0;

    const TrackPlace place = bits(26, 1) ? TrackPlace::FlashDisk : TrackPlace::StorageCard;
    const int tracking = setTrackFolder(static_cast<int>(bits(24, 2)), place);
    setFlag(OptionMirrorKey, flagName(u"Tracking", tracking), FlagMode::Set);
    setFlag(OptionMirrorKey, flagName(u"TrackingDest", bits(26, 1)), FlagMode::Set);
    if (lklickson != -1 && (lklickson & 16) && tracking == 0)
        arm = true;
    return arm;
}

} // namespace lokaro
