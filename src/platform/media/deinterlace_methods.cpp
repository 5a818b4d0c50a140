#include "deinterlace_methods.h"

#include <algorithm>
#include <array>
#include <mutex>

namespace {

constexpr std::array kMethods = {
    DeinterlaceMethod{"tomsmocomp", "Motion search"},
    DeinterlaceMethod{"greedyh", "Motion adaptive"},
    DeinterlaceMethod{"greedyl", "Motion adaptive, simple"},
    DeinterlaceMethod{"vfir", "Vertical blur"},
    DeinterlaceMethod{"linear", "Linear"},
    DeinterlaceMethod{"linearblend", "Blend fields"},
    DeinterlaceMethod{"scalerbob", "Double lines"},
    DeinterlaceMethod{"weave", "Weave"},
    DeinterlaceMethod{"weavetff", "Weave, top field first"},
    DeinterlaceMethod{"weavebff", "Weave, bottom field first"},
    DeinterlaceMethod{"yadif", "Edge-directed adaptive"},
};

std::mutex gDefaultMutex;
std::string gDefault = kDefaultDeinterlace;

} // namespace

std::span<const DeinterlaceMethod> DeinterlaceMethods() {
    return kMethods;
}

bool IsDeinterlaceChoice(const std::string& choice) {
    return choice == kDeinterlaceOff ||
           std::any_of(kMethods.begin(), kMethods.end(),
                       [&](const auto& method) { return choice == method.nick; });
}

std::string DeinterlaceChoiceList() {
    std::string list;
    for (const DeinterlaceMethod& method : kMethods) {
        list += (list.empty() ? "" : ", ") + std::string(method.nick);
    }
    return list;
}

std::string DeinterlaceCaption(const std::string& choice) {
    if (choice == kDeinterlaceOff) {
        return "Off";
    }
    for (const DeinterlaceMethod& method : kMethods) {
        if (choice == method.nick) {
            return method.caption;
        }
    }
    return {};
}

void SetDefaultDeinterlace(const std::string& choice) {
    if (!IsDeinterlaceChoice(choice)) {
        return;
    }
    std::lock_guard lock(gDefaultMutex);
    gDefault = choice;
}

std::string DefaultDeinterlace() {
    std::lock_guard lock(gDefaultMutex);
    return gDefault;
}
