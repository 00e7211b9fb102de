#pragma once
// How the library reaches the engine surface inside one of its own
// renderers, so that a report draws on it directly rather than through the
// public interface and back.
#include <optional>

#include "engine/Surface.h"
#include "lib/SurfaceAdapter.h"
#include "quorvane/Renderer.h"

namespace quorvane::bridge {

struct RendererAccess {
    // The engine surface to draw on for `surface`: a renderer's own, else an
    // adapter made in `adapter`, which must outlive the drawing.
    static ::Surface& EngineSurfaceOf(quorvane::Surface& surface, std::optional<SurfaceAdapter>& adapter);
};

inline ::Surface& EngineSurfaceOf(quorvane::Surface& surface, std::optional<SurfaceAdapter>& adapter) {
    return RendererAccess::EngineSurfaceOf(surface, adapter);
}

}  // namespace quorvane::bridge
