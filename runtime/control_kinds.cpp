#include "runtime/control_kinds.h"

#include <map>

namespace rt {
namespace {

std::map<Kind, ControlKind>& kinds() {
    static std::map<Kind, ControlKind> k;
    return k;
}

}  // namespace

void registerControlKind(Kind kind, ControlKind impl) {
    kinds()[kind] = std::move(impl);
}

const ControlKind* controlKind(Kind kind) {
    const auto it = kinds().find(kind);
    return it == kinds().end() ? nullptr : &it->second;
}

}  // namespace rt
