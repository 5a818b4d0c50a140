// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The "Smart Tee": splits one capture pin into a capture and a preview output, for a device without a preview
// pin, of a picture or of sound (the card's sound is played from its preview output). The preview output
// drops frames rather than hold the capture back.

#include "capture_output.h"

#include <memory>

class SmartTeeFilter final : public GstFilter {
public:
    explicit SmartTeeFilter(PinKind kind = PinKind::Video);

    void* queryPinInterface(const GstPin& pin, const Guid& iid) override;

private:
    ~SmartTeeFilter() override;

    std::unique_ptr<CaptureOutput> capture_;
    std::unique_ptr<CaptureOutput> preview_;
};

extern const wchar_t* const SmartTeeName;
