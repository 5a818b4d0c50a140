// SPDX-License-Identifier: GPL-2.0-or-later
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

    // An absolute position in 100 ns units; before the start counts as the start.
    bool SeekTo(REFERENCE_TIME position);
    REFERENCE_TIME CurrentPosition() const;
    // Chooses the effect of the effect box (0: none) and, with a file open, puts it in place of the current
    // one, keeping the position and whether the file runs.
    void SwapEffect(int index);
    void SetVolume(LONG hundredthsOfDecibel);
    bool ReadVideoSize(LONG* width, LONG* height) const;
    // The next event of the graph without waiting; false when there is none.
    bool NextEvent(LONG* code);

    bool started() const { return started_; }
    bool paused() const { return paused_; }
    bool loaded() const { return loaded_; }
    REFERENCE_TIME length() const { return length_; }
    const QString& description() const { return description_; }
    int selectedEffect() const { return selectedEffect_; }
    const EffectEntry& effectEntry(int row) const { return effectTable_.at(std::size_t(row)); }
    // The effect in the graph, or null.
    IBaseFilter* effect() const { return effect_.get(); }
    // The graph itself, for the video window and for tests.
    IGraphBuilder* graph() const { return graph_.get(); }

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

    RefPtr<IGraphBuilder> graph_;
    RefPtr<IMediaControl> control_;
    RefPtr<IMediaEventEx> events_;
    RefPtr<IMediaSeeking> seeking_;
    RefPtr<IBasicAudio> audio_;
    RefPtr<IBasicVideo> video_;
    RefPtr<IBaseFilter> source_;
    RefPtr<IBaseFilter> effect_;
    REFERENCE_TIME length_ = 0;
    QString description_;
    bool loaded_ = false;
    std::array<EffectEntry, EffectTableRows> effectTable_{};
    int selectedEffect_ = 0;
    bool paused_ = false;
    bool started_ = false;
    QWidget* notifyWindow_ = nullptr;
    VideoTargetRecord* videoTarget_ = nullptr;
    MessageBoxes& messageBoxes_;
};
