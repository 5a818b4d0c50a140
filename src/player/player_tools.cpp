#include "player_tools.h"

#include "platform/media/gst/com_factory.h"
#include "platform/media/gst/dmo_interfaces.h"
#include "platform/win/message_boxes.h"
#include "player_messages.h"

#include <QFileInfo>
#include <QWidget>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const wchar_t* const SoundRendererMark = L"DirectSound";
const wchar_t* const SoundRendererPin = L"Audio Input pin (rendered)";
const wchar_t* const EffectFilterName = L"Custom DMO Audio Effect";

// Cuts multibyte text to fit a field without splitting a character.
void CopyCut(const char* text, char* field, std::size_t capacity) {
    std::size_t length = std::strlen(text);
    if (length >= capacity) {
        length = capacity - 1;
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
            --length;
        }
    }
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
    : notifyWindow(notifyWindow), videoTarget(videoTarget), messageBoxes_(messageBoxes) {
    if (!CreateGraph()) {
        messageBoxes_.show(nullptr, "Can't create DirectShow GraphBuilder", "Fatal error",
                           MessageIcon::Error);
    }
}

bool TPlayerTools::CreateGraph() {
    if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IGraphBuilder::IID,
                                reinterpret_cast<void**>(graph.put())))) {
        return false;
    }
    if (!(control = query<IMediaControl>(graph)) || !(events = query<IMediaEventEx>(graph))) {
        return false;
    }
    if (FAILED(events->SetNotifyWindow(notifyWindow, LONG(PlayerNotifyMessage), 0))) {
        return false;
    }
    if (!(seeking = query<IMediaSeeking>(graph))) {
        return false;
    }
    RefPtr<IVideoWindow> window = query<IVideoWindow>(graph);
    if (!window) {
        return false;
    }
    if (videoTarget) {
        videoTarget->window = window;
    }
    return (audio = query<IBasicAudio>(graph)) && (video = query<IBasicVideo>(graph));
}

TPlayerTools::~TPlayerTools() {
    if (control) {
        control->Stop();
    }
    if (events) {
        events->SetNotifyWindow(nullptr, LONG(PlayerNotifyMessage), 0);
    }
    if (videoTarget && videoTarget->window) {
        videoTarget->window->put_MessageDrain(nullptr);
        videoTarget->window->put_Visible(OAFALSE);
        videoTarget->window->put_Owner(nullptr);
    }
    effect = nullptr;
    source = nullptr;
    audio = nullptr;
    video = nullptr;
    seeking = nullptr;
    events = nullptr;
    control = nullptr;
    graph = nullptr;
    if (videoTarget) {
        videoTarget->window = nullptr;
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
                    notifyWindow,
                    "wcstombs function encountered a wide character that could not be converted to "
                    "a multibyte character.",
                    "Error enumerating DMOs", MessageIcon::Error);
                return count;
            }
            name[sizeof name - 1] = '\0';
            CopyCut(name, effectTable[count].name, sizeof effectTable[count].name);
            CoTaskMemFree(wideName);
            effectTable[count].classId = classId;
            ++count;
        }
    } while (fetched == S_OK && count < MaxListedEffects);
    return count;
}

bool TPlayerTools::EmptyGraphBut(IBaseFilter* keep) {
    RefPtr<IEnumFilters> filters;
    if (FAILED(graph->EnumFilters(filters.put()))) {
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
        graph->RemoveFilter(filter.get());
        if (filter.get() == keep) {
            graph->AddFilter(filter.get(), info.achName);
        }
    }
    return true;
}

void TPlayerTools::ReadPictureSize() {
    if (!videoTarget) {
        return;
    }
    LONG width = 0;
    LONG height = 0;
    RefPtr<IVideoWindow> window = query<IVideoWindow>(graph);
    if (window && SUCCEEDED(window->put_Owner(videoTarget->owner))) {
        if (!video || FAILED(video->GetVideoSize(&width, &height))) {
            width = height = 0;
        }
    }
    videoTarget->videoWidth = width;
    videoTarget->videoHeight = height;
}

bool TPlayerTools::OpenFile(const QString& path) {
    if (!control) {
        return false;
    }
    const std::wstring widePath = path.toStdWString();
    RefPtr<IBaseFilter> newSource;
    if (FAILED(graph->AddSourceFilter(widePath.c_str(), widePath.c_str(), newSource.put()))) {
        return false;
    }
    RefPtr<IPin> output;
    newSource->FindPin(L"Output", output.put());
    control->Stop();
    const bool emptied = EmptyGraphBut(newSource.get());
    source = nullptr;
    effect = nullptr;
    HRESULT rendered = E_FAIL;
    if (emptied) {
        rendered = output ? graph->Render(output.get()) : VFW_E_NOT_FOUND;
        source = newSource;
    }
    if (FAILED(rendered)) {
        return false;
    }
    ReadPictureSize();
    loaded = true;
    if (selectedEffect > 0 && !InsertEffect(selectedEffect - 1)) {
        messageBoxes_.show(nullptr, "Can't insert DMO", "FilterGraph error", MessageIcon::Warning);
    }
    seeking->SetTimeFormat(&TIME_FORMAT_MEDIA_TIME);
    REFERENCE_TIME start = 0;
    seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
    length = 0;
    seeking->GetStopPosition(&length);
    description = FormatTime(length) + " - " + QFileInfo(path).fileName();
    if (videoTarget && videoTarget->videoHeight > 0) {
        description += QStringLiteral(" - %1x%2").arg(videoTarget->videoWidth).arg(videoTarget->videoHeight);
    }
    description.truncate(MaxDescriptionLength);
    return true;
}

RefPtr<IBaseFilter> TPlayerTools::FindSoundRenderer() {
    RefPtr<IEnumFilters> filters;
    if (FAILED(graph->EnumFilters(filters.put()))) {
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
    if (FAILED(graph->AddFilter(effect.get(), EffectFilterName))) {
        return false;
    }
    graph->Disconnect(upstream);
    graph->Disconnect(rendererInput);
    bool connected = SUCCEEDED(graph->ConnectDirect(upstream, pins.input.get(), &type));
    connected = connected && SUCCEEDED(graph->ConnectDirect(pins.output.get(), rendererInput, &type));
    if (!connected) {
        // The stream goes straight to the renderer again.
        graph->Disconnect(upstream);
        graph->RemoveFilter(effect.get());
        graph->ConnectDirect(upstream, rendererInput, &type);
    }
    return connected;
}

bool TPlayerTools::InsertEffect(int row) {
    effect = nullptr;
    if (row < 0 || row >= EffectTableRows || !graph) {
        return false;
    }
    effect = Create<IBaseFilter>(CLSID_DMOWrapperFilter);
    bool inserted = false;
    RefPtr<IDMOWrapperFilter> wrapper = query<IDMOWrapperFilter>(effect);
    if (wrapper && SUCCEEDED(wrapper->Init(effectTable[row].classId, DMOCATEGORY_AUDIO_EFFECT))) {
        wrapper = nullptr;
        EffectPins pins;
        if (pins.find(effect.get())) {
            RefPtr<IBaseFilter> renderer = FindSoundRenderer();
            if (!renderer) {
                messageBoxes_.show(notifyWindow, "Can't find DirectSound Renderer", "FilterGraph error",
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
        effect = nullptr;
    }
    return inserted;
}

void TPlayerTools::RemoveEffect() {
    if (!effect) {
        return;
    }
    RefPtr<IPin> upstream;
    RefPtr<IEnumPins> pins;
    IPin* first = nullptr;
    bool found = false;
    if (SUCCEEDED(effect->EnumPins(pins.put())) && pins->Next(1, &first, nullptr) == S_OK) {
        RefPtr<IPin> input = RefPtr<IPin>::adopt(first);
        PIN_DIRECTION direction = PINDIR_OUTPUT;
        input->QueryDirection(&direction);
        found = direction == PINDIR_INPUT && SUCCEEDED(input->ConnectedTo(upstream.put()));
    }
    graph->RemoveFilter(effect.get());
    effect = nullptr;
    if (found) {
        graph->Render(upstream.get());
    }
}

bool TPlayerTools::Play() {
    if (!control) {
        return false;
    }
    started = true;
    // A graph that runs is no longer paused; a flag left set would keep the page from pausing it on leaving.
    paused = false;
    control->Run();
    return true;
}

bool TPlayerTools::Stop() {
    if (!control) {
        return false;
    }
    started = false;
    control->Stop();
    if (!seeking) {
        return false;
    }
    REFERENCE_TIME start = 0;
    seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
    return true;
}

bool TPlayerTools::TogglePause() {
    if (!control) {
        return false;
    }
    OAFilterState state = State_Stopped;
    if (control->GetState(100, &state) != S_OK) {
        return false;
    }
    if (state != State_Paused) {
        paused = true;
        control->Pause();
        return true;
    }
    paused = false;
    control->Run();
    return false;
}

QString TPlayerTools::FormatTime(REFERENCE_TIME time) {
    const qint64 seconds = time / 10'000'000;
    return QString::asprintf("%lld:%.2lld:%.2lld", seconds / 3600, (seconds / 60) % 60, seconds % 60);
}
