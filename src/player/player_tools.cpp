// SPDX-License-Identifier: GPL-2.0-or-later
#include "player_tools.h"

#include "platform/com/text_cut.h"
#include "platform/media/gst/com_factory.h"
#include "platform/media/gst/dmo_interfaces.h"
#include "platform/win/message_boxes.h"
#include "player_messages.h"

#include <QFileInfo>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const wchar_t* const SoundRendererMark = L"DirectSound";
const wchar_t* const SoundRendererPin = L"Audio Input pin (rendered)";
const wchar_t* const EffectFilterName = L"Custom DMO Audio Effect";

// Cuts multibyte text to fit a field without splitting a character.
void CopyCut(const char* text, char* field, std::size_t capacity) {
    const std::size_t length = CutLength(text, capacity - 1);
    std::memcpy(field, text, length);
    field[length] = '\0';
}

template <typename T> RefPtr<T> Create(const Guid& classId) {
    RefPtr<T> object;
    CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, T::IID, reinterpret_cast<void**>(object.put()));
    return object;
}

} // namespace

// The first and second pins of a filter, which must be its input and its output.
bool TPlayerTools::EffectPins::find(IBaseFilter* filter) {
    RefPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(pins.put()))) {
        return false;
    }
    pins->Reset();
    IPin* fetched = nullptr;
    if (pins->Next(1, &fetched, nullptr) != S_OK) {
        return false;
    }
    input = RefPtr<IPin>::adopt(fetched);
    if (pins->Next(1, &fetched, nullptr) != S_OK) {
        return false;
    }
    output = RefPtr<IPin>::adopt(fetched);
    PIN_DIRECTION direction = PINDIR_OUTPUT;
    input->QueryDirection(&direction);
    if (direction != PINDIR_INPUT) {
        return false;
    }
    output->QueryDirection(&direction);
    return direction == PINDIR_OUTPUT;
}

TPlayerTools::TPlayerTools(QWidget* notifyWindow, VideoTargetRecord* videoTarget, MessageBoxes& messageBoxes)
    : notifyWindow_(notifyWindow), videoTarget_(videoTarget), messageBoxes_(messageBoxes) {
    if (!CreateGraph()) {
        messageBoxes_.show(nullptr, "Can't create DirectShow GraphBuilder", "Fatal error",
                           MessageIcon::Error);
    }
}

bool TPlayerTools::CreateGraph() {
    if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IGraphBuilder::IID,
                                reinterpret_cast<void**>(graph_.put())))) {
        return false;
    }
    if (!(control_ = query<IMediaControl>(graph_)) || !(events_ = query<IMediaEventEx>(graph_))) {
        return false;
    }
    if (FAILED(events_->SetNotifyWindow(notifyWindow_, LONG(PlayerNotifyMessage), 0))) {
        return false;
    }
    if (!(seeking_ = query<IMediaSeeking>(graph_))) {
        return false;
    }
    RefPtr<IVideoWindow> window = query<IVideoWindow>(graph_);
    if (!window) {
        return false;
    }
    if (videoTarget_) {
        videoTarget_->window = window;
    }
    return (audio_ = query<IBasicAudio>(graph_)) && (video_ = query<IBasicVideo>(graph_));
}

TPlayerTools::~TPlayerTools() {
    if (control_) {
        control_->Stop();
    }
    if (events_) {
        events_->SetNotifyWindow(nullptr, LONG(PlayerNotifyMessage), 0);
    }
    if (videoTarget_ && videoTarget_->window) {
        videoTarget_->window->put_MessageDrain(nullptr);
        videoTarget_->window->put_Visible(OAFALSE);
        videoTarget_->window->put_Owner(nullptr);
    }
    effect_ = nullptr;
    source_ = nullptr;
    audio_ = nullptr;
    video_ = nullptr;
    seeking_ = nullptr;
    events_ = nullptr;
    control_ = nullptr;
    graph_ = nullptr;
    if (videoTarget_) {
        videoTarget_->window = nullptr;
    }
}

int TPlayerTools::EnumerateEffects() {
    RefPtr<IEnumDMO> effects;
    if (FAILED(DMOEnum(DMOCATEGORY_AUDIO_EFFECT, DMO_ENUMF_INCLUDE_KEYED, 0, nullptr, 0, nullptr,
                       effects.put()))) {
        return 0;
    }
    int count = 0;
    HRESULT fetched = S_OK;
    do {
        Guid classId;
        wchar_t* wideName = nullptr;
        fetched = effects->Next(1, &classId, &wideName, nullptr);
        if (FAILED(fetched)) {
            return count;
        }
        if (fetched == S_OK) {
            char name[260];
            if (std::wcstombs(name, wideName, sizeof name) == static_cast<std::size_t>(-1)) {
                CoTaskMemFree(wideName);
                messageBoxes_.show(
                    notifyWindow_,
                    "wcstombs function encountered a wide character that could not be converted to "
                    "a multibyte character.",
                    "Error enumerating DMOs", MessageIcon::Error);
                return count;
            }
            name[sizeof name - 1] = '\0';
            CopyCut(name, effectTable_[count].name, sizeof effectTable_[count].name);
            CoTaskMemFree(wideName);
            effectTable_[count].classId = classId;
            ++count;
        }
    } while (fetched == S_OK && count < MaxListedEffects);
    return count;
}

bool TPlayerTools::EmptyGraphBut(IBaseFilter* keep) {
    RefPtr<IEnumFilters> filters;
    if (FAILED(graph_->EnumFilters(filters.put()))) {
        return false;
    }
    ULONG count = 0;
    while (filters->Skip(1) == S_OK) {
        ++count;
    }
    filters->Reset();
    std::vector<IBaseFilter*> all(count, nullptr);
    ULONG fetched = 0;
    if (count > 0 && FAILED(filters->Next(count, all.data(), &fetched))) {
        return false;
    }
    for (ULONG i = 0; i < fetched; ++i) {
        RefPtr<IBaseFilter> filter = RefPtr<IBaseFilter>::adopt(all[i]);
        FILTER_INFO info;
        filter->QueryFilterInfo(&info);
        graph_->RemoveFilter(filter.get());
        if (filter.get() == keep) {
            graph_->AddFilter(filter.get(), info.achName);
        }
    }
    return true;
}

void TPlayerTools::ReadPictureSize() {
    if (!videoTarget_) {
        return;
    }
    LONG width = 0;
    LONG height = 0;
    RefPtr<IVideoWindow> window = query<IVideoWindow>(graph_);
    if (window && SUCCEEDED(window->put_Owner(videoTarget_->owner))) {
        if (!video_ || FAILED(video_->GetVideoSize(&width, &height))) {
            width = height = 0;
        }
    }
    videoTarget_->videoWidth = width;
    videoTarget_->videoHeight = height;
}

bool TPlayerTools::OpenFile(const QString& path) {
    if (!control_) {
        return false;
    }
    const std::wstring widePath = path.toStdWString();
    RefPtr<IBaseFilter> newSource;
    if (FAILED(graph_->AddSourceFilter(widePath.c_str(), widePath.c_str(), newSource.put()))) {
        return false;
    }
    RefPtr<IPin> output;
    newSource->FindPin(L"Output", output.put());
    control_->Stop();
    const bool emptied = EmptyGraphBut(newSource.get());
    source_ = nullptr;
    effect_ = nullptr;
    HRESULT rendered = E_FAIL;
    if (emptied) {
        rendered = output ? graph_->Render(output.get()) : VFW_E_NOT_FOUND;
        source_ = newSource;
    }
    if (FAILED(rendered)) {
        return false;
    }
    ReadPictureSize();
    loaded_ = true;
    if (selectedEffect_ > 0 && !InsertEffect(selectedEffect_ - 1)) {
        messageBoxes_.show(nullptr, "Can't insert DMO", "FilterGraph error", MessageIcon::Warning);
    }
    seeking_->SetTimeFormat(&TIME_FORMAT_MEDIA_TIME);
    REFERENCE_TIME start = 0;
    seeking_->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
    length_ = 0;
    seeking_->GetStopPosition(&length_);
    description_ = FormatTime(length_) + " - " + QFileInfo(path).fileName();
    if (videoTarget_ && videoTarget_->videoHeight > 0) {
        description_ +=
            QStringLiteral(" - %1x%2").arg(videoTarget_->videoWidth).arg(videoTarget_->videoHeight);
    }
    description_.truncate(MaxDescriptionLength);
    return true;
}

RefPtr<IBaseFilter> TPlayerTools::FindSoundRenderer() {
    RefPtr<IEnumFilters> filters;
    if (FAILED(graph_->EnumFilters(filters.put()))) {
        return {};
    }
    IBaseFilter* fetched = nullptr;
    while (filters->Next(1, &fetched, nullptr) == S_OK) {
        RefPtr<IBaseFilter> filter = RefPtr<IBaseFilter>::adopt(fetched);
        FILTER_INFO info;
        if (SUCCEEDED(filter->QueryFilterInfo(&info)) && std::wcsstr(info.achName, SoundRendererMark)) {
            return filter;
        }
    }
    return {};
}

bool TPlayerTools::ConnectThroughEffect(const EffectPins& pins, IPin* upstream, IPin* rendererInput,
                                        const AM_MEDIA_TYPE& type) {
    if (FAILED(graph_->AddFilter(effect_.get(), EffectFilterName))) {
        return false;
    }
    graph_->Disconnect(upstream);
    graph_->Disconnect(rendererInput);
    bool connected = SUCCEEDED(graph_->ConnectDirect(upstream, pins.input.get(), &type));
    connected = connected && SUCCEEDED(graph_->ConnectDirect(pins.output.get(), rendererInput, &type));
    if (!connected) {
        // The stream goes straight to the renderer again.
        graph_->Disconnect(upstream);
        graph_->RemoveFilter(effect_.get());
        graph_->ConnectDirect(upstream, rendererInput, &type);
    }
    return connected;
}

bool TPlayerTools::InsertEffect(int row) {
    effect_ = nullptr;
    if (row < 0 || row >= EffectTableRows || !graph_) {
        return false;
    }
    effect_ = Create<IBaseFilter>(CLSID_DMOWrapperFilter);
    bool inserted = false;
    RefPtr<IDMOWrapperFilter> wrapper = query<IDMOWrapperFilter>(effect_);
    if (wrapper && SUCCEEDED(wrapper->Init(effectTable_[row].classId, DMOCATEGORY_AUDIO_EFFECT))) {
        wrapper = nullptr;
        EffectPins pins;
        if (pins.find(effect_.get())) {
            RefPtr<IBaseFilter> renderer = FindSoundRenderer();
            if (!renderer) {
                messageBoxes_.show(notifyWindow_, "Can't find DirectSound Renderer", "FilterGraph error",
                                   MessageIcon::Warning);
            } else {
                RefPtr<IPin> rendererInput;
                RefPtr<IPin> upstream;
                AM_MEDIA_TYPE type;
                if (SUCCEEDED(renderer->FindPin(SoundRendererPin, rendererInput.put())) &&
                    SUCCEEDED(rendererInput->ConnectedTo(upstream.put())) &&
                    SUCCEEDED(rendererInput->ConnectionMediaType(&type))) {
                    inserted = ConnectThroughEffect(pins, upstream.get(), rendererInput.get(), type);
                    FreeMediaType(type);
                }
            }
        }
    }
    if (!inserted) {
        effect_ = nullptr;
    }
    return inserted;
}

void TPlayerTools::RemoveEffect() {
    if (!effect_) {
        return;
    }
    RefPtr<IPin> upstream;
    RefPtr<IEnumPins> pins;
    IPin* first = nullptr;
    bool found = false;
    if (SUCCEEDED(effect_->EnumPins(pins.put())) && pins->Next(1, &first, nullptr) == S_OK) {
        RefPtr<IPin> input = RefPtr<IPin>::adopt(first);
        PIN_DIRECTION direction = PINDIR_OUTPUT;
        input->QueryDirection(&direction);
        found = direction == PINDIR_INPUT && SUCCEEDED(input->ConnectedTo(upstream.put()));
    }
    graph_->RemoveFilter(effect_.get());
    effect_ = nullptr;
    if (found) {
        graph_->Render(upstream.get());
    }
}

bool TPlayerTools::Play() {
    if (!control_) {
        return false;
    }
    started_ = true;
    // A graph_ that runs is no longer paused_; a flag left set would keep the page from pausing it on
    // leaving.
    paused_ = false;
    control_->Run();
    return true;
}

bool TPlayerTools::Stop() {
    if (!control_) {
        return false;
    }
    started_ = false;
    control_->Stop();
    if (!seeking_) {
        return false;
    }
    SeekTo(0);
    return true;
}

bool TPlayerTools::TogglePause() {
    if (!control_) {
        return false;
    }
    OAFilterState state = State_Stopped;
    if (control_->GetState(100, &state) != S_OK) {
        return false;
    }
    if (state != State_Paused) {
        paused_ = true;
        control_->Pause();
        return true;
    }
    paused_ = false;
    control_->Run();
    return false;
}

QString TPlayerTools::FormatTime(REFERENCE_TIME time) {
    const qint64 seconds = time / 10'000'000;
    return QString::asprintf("%lld:%.2lld:%.2lld", seconds / 3600, (seconds / 60) % 60, seconds % 60);
}

bool TPlayerTools::SeekTo(REFERENCE_TIME position) {
    if (!seeking_) {
        return false;
    }
    position = std::max<REFERENCE_TIME>(position, 0);
    return SUCCEEDED(
        seeking_->SetPositions(&position, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning));
}

REFERENCE_TIME TPlayerTools::CurrentPosition() const {
    REFERENCE_TIME current = 0;
    if (seeking_) {
        seeking_->GetCurrentPosition(&current);
    }
    return current;
}

void TPlayerTools::SwapEffect(int index) {
    selectedEffect_ = std::max(index, 0);
    if (!loaded_) {
        return;
    }
    OAFilterState state = State_Stopped;
    if (control_->GetState(100, &state) != S_OK) {
        return;
    }
    // The graph is stopped around the change and comes back where it was, running if it ran.
    const bool running = state == State_Running;
    control_->Stop();
    const REFERENCE_TIME position = CurrentPosition();
    if (effect_) {
        RemoveEffect();
    }
    if (selectedEffect_ > 0) {
        InsertEffect(selectedEffect_ - 1);
    }
    SeekTo(position);
    if (running) {
        control_->Run();
    }
}

void TPlayerTools::SetVolume(LONG hundredthsOfDecibel) {
    if (audio_) {
        audio_->put_Volume(hundredthsOfDecibel);
    }
}

bool TPlayerTools::ReadVideoSize(LONG* width, LONG* height) const {
    return video_ && SUCCEEDED(video_->GetVideoSize(width, height));
}

bool TPlayerTools::NextEvent(LONG* code) {
    LONG_PTR first = 0;
    LONG_PTR second = 0;
    if (!events_ || FAILED(events_->GetEvent(code, &first, &second, 0))) {
        return false;
    }
    events_->FreeEventParams(*code, first, second);
    return true;
}
