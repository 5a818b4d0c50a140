// SPDX-License-Identifier: GPL-2.0-or-later
#include "tuner_platform.h"

#include "platform/media/gst/com_factory.h"

#include <unistd.h>

namespace {

class EngineTunerPlatform final : public TunerPlatform {
public:
    HRESULT CreateCaptureGraphBuilder(ICaptureGraphBuilder2** builder) override {
        return CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                                ICaptureGraphBuilder2::IID, reinterpret_cast<void**>(builder));
    }
    HRESULT CreateFilterGraph(IGraphBuilder** graph) override {
        return CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IGraphBuilder::IID,
                                reinterpret_cast<void**>(graph));
    }
    HRESULT GetRunningObjectTable(IRunningObjectTable** table) override {
        return ::GetRunningObjectTable(0, table);
    }
    HRESULT CreateItemMoniker(LPCOLESTR delimiter, LPCOLESTR item, IMoniker** moniker) override {
        return ::CreateItemMoniker(delimiter, item, moniker);
    }
    DWORD GetCurrentProcessId() override { return static_cast<DWORD>(::getpid()); }
};

} // namespace

std::unique_ptr<TunerPlatform> MakeEngineTunerPlatform() {
    return std::make_unique<EngineTunerPlatform>();
}
