#pragma once
// What a quorvane::Renderer holds: one of the engine's output surfaces, and
// the memory its in-memory outputs fill. Report draws on the engine surface
// directly, without going through the public interface.
#include <cstddef>
#include <memory>
#include <variant>
#include <vector>

#include "lib/SurfaceAdapter.h"
#include "quorvane/Renderer.h"
#include "render/CairoSurface.h"
#include "render/PdfSurface.h"

namespace quorvane {

struct QUORVANE_LOCAL Renderer::Impl {
    // Declared first, destroyed last: the surfaces write into them up to the end.
    std::vector<std::byte> pdf;
    std::vector<std::vector<std::byte>> pngPages;
    bridge::PictureCopies pictures;
    Font currentFont;

    std::variant<std::unique_ptr<PdfSurface>, std::unique_ptr<CairoSurface>> output;
    ::Surface* engine = nullptr;

    // A renderer's Impl around one of the engine's file surfaces.
    template <class Output>
    static std::unique_ptr<Impl> Of(Output output) {
        auto impl = std::make_unique<Impl>();
        auto& surface = impl->output.emplace<std::unique_ptr<Output>>(std::make_unique<Output>(std::move(output)));
        impl->engine = surface.get();
        return impl;
    }

    ::Surface& EngineSurface();
    void StartPage();
    void EndPage();
    void Finish();
    std::size_t PageCount() const;
};

}  // namespace quorvane
