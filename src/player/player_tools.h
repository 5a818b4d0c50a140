#pragma once
// The playback graph of the Player page: one media file at a time, with at most one audio effect between the
// file's sound and the sound renderer. All of it runs on the GUI thread; the graph's events arrive as the
// posted PlayerNotifyMessage.

#include "platform/com/ref_ptr.h"
#include "platform/media/gst/control_interfaces.h"
#include "platform/media/gst/filter_interfaces.h"
#include "view/video_target.h"

#include <QString>

#include <array>

class MessageBoxes;
class QWidget;

struct EffectEntry {
    char name[100] = {};
    Guid classId;
};

class TPlayerTools {
public:
    static constexpr int EffectTableRows = 260;
    static constexpr int MaxListedEffects = 100;
    static constexpr int MaxDescriptionLength = 259;

    // CreateGraph: a failure is shown to the user; the object then keeps the interfaces obtained so far.
    TPlayerTools(QWidget* notifyWindow, VideoTargetRecord* videoTarget, MessageBoxes& messageBoxes);
    ~TPlayerTools();
    TPlayerTools(const TPlayerTools&) = delete;
    TPlayerTools& operator=(const TPlayerTools&) = delete;

    int EnumerateEffects();
    bool OpenFile(const QString& path);
    bool InsertEffect(int row);
    void RemoveEffect();
    bool Play();
    bool Stop();
    bool TogglePause();
    static QString FormatTime(REFERENCE_TIME time);

    RefPtr<IGraphBuilder> graph;
    RefPtr<IMediaControl> control;
    RefPtr<IMediaEventEx> events;
    RefPtr<IMediaSeeking> seeking;
    RefPtr<IBasicAudio> audio;
    RefPtr<IBasicVideo> video;
    RefPtr<IBaseFilter> source;
    RefPtr<IBaseFilter> effect;
    REFERENCE_TIME length = 0;
    QString description;
    bool loaded = false;
    std::array<EffectEntry, EffectTableRows> effectTable{};
    int selectedEffect = 0;
    bool paused = false;
    bool started = false;
    QWidget* notifyWindow = nullptr;
    VideoTargetRecord* videoTarget = nullptr;

private:
    bool CreateGraph();
    // OpenFile step 6: everything but the new source leaves the graph.
    bool EmptyGraphBut(IBaseFilter* keep);
    void ReadPictureSize();
    RefPtr<IBaseFilter> FindSoundRenderer();
    struct EffectPins {
        RefPtr<IPin> input;
        RefPtr<IPin> output;
        bool find(IBaseFilter* filter);
    };
    bool ConnectThroughEffect(const EffectPins& pins, IPin* upstream, IPin* rendererInput,
                              const AM_MEDIA_TYPE& type);

    MessageBoxes& messageBoxes_;
};
