#include "demo/editor/QvCommandTarget.h"

bool RouteCommandEnabled(std::span<QvCommandTarget* const> route, int id) {
    for (const QvCommandTarget* target : route)
        if (target)
            if (std::optional<bool> state = target->CommandUpdate(id)) return *state;
    for (const QvCommandTarget* target : route)
        if (target && target->HasCommandHandler(id)) return true;
    return false;
}

bool RouteCommand(std::span<QvCommandTarget* const> route, int id) {
    for (QvCommandTarget* target : route)
        if (target && target->HasCommandHandler(id)) return target->OnCommand(id);
    return false;
}
