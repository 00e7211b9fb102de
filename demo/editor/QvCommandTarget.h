#pragma once
// Something a command can be routed to: the active view, its document, the
// frames and the application, asked in that order. A target may have a
// command handler, an update handler that decides whether the command is
// enabled, or both.
#include <optional>
#include <span>

class QvCommandTarget {
public:
    virtual ~QvCommandTarget() = default;

    // Whether this target carries out the command.
    virtual bool HasCommandHandler(int id) const = 0;
    // Enabled or not when this target has an update handler for the command;
    // none otherwise.
    virtual std::optional<bool> CommandUpdate(int /*id*/) const { return std::nullopt; }
    // Carries the command out; false when this target has no handler.
    virtual bool OnCommand(int id) = 0;
};

// The first update handler along the route decides; without one, a command is
// enabled exactly when some target handles it. Null targets are skipped.
bool RouteCommandEnabled(std::span<QvCommandTarget* const> route, int id);
// Runs the command on the first target that handles it; false when none does.
bool RouteCommand(std::span<QvCommandTarget* const> route, int id);
