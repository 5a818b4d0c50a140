// SPDX-License-Identifier: GPL-2.0-or-later
// A sound card that exists only in memory: an alsa-lib external control plug-in with AC'97-like and
// HDA-like element layouts. Tests load it from an in-memory configuration, so no kernel module or real
// card is involved. All handles opened on one layout share its values, as handles on one card do, and a
// write queues a value event on every subscribed handle.
#include <alsa/asoundlib.h>
#include <alsa/control_external.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct FakeElement {
    std::string name;
    snd_ctl_elem_type_t type;
    unsigned count;
    long min;
    long max;
    std::vector<std::string> items;
    std::vector<long> values;
};

FakeElement integer(const char* name, unsigned count, long max, long value) {
    return {name, SND_CTL_ELEM_TYPE_INTEGER, count, 0, max, {}, std::vector<long>(count, value)};
}
FakeElement boolean(const char* name, unsigned count, long value) {
    return {name, SND_CTL_ELEM_TYPE_BOOLEAN, count, 0, 1, {}, std::vector<long>(count, value)};
}
FakeElement enumerated(const char* name, unsigned count, std::vector<std::string> items, long value) {
    const long max = static_cast<long>(items.size()) - 1;
    return {
        name, SND_CTL_ELEM_TYPE_ENUMERATED, count, 0, max, std::move(items), std::vector<long>(count, value)};
}

std::vector<FakeElement> ac97Layout() {
    return {
        boolean("Master Playback Switch", 2, 1),
        integer("Master Playback Volume", 2, 31, 20),
        boolean("PCM Playback Switch", 2, 1),
        integer("PCM Playback Volume", 2, 31, 23),
        boolean("CD Playback Switch", 2, 0),
        integer("CD Playback Volume", 2, 31, 0),
        boolean("Line Playback Switch", 2, 0),
        integer("Line Playback Volume", 2, 31, 8),
        boolean("Mic Playback Switch", 1, 0),
        integer("Mic Playback Volume", 1, 31, 8),
        boolean("Capture Switch", 2, 1),
        integer("Capture Volume", 2, 15, 0),
        enumerated("Capture Source", 2, {"Mic", "CD", "Video", "Aux", "Line", "Mix", "Mix Mono", "Phone"}, 0),
    };
}

std::vector<FakeElement> hdaLayout() {
    return {
        integer("Master Playback Volume", 1, 87, 60),
        boolean("Master Playback Switch", 1, 1),
        integer("Headphone Playback Volume", 2, 87, 0),
        boolean("Headphone Playback Switch", 2, 0),
        integer("PCM Playback Volume", 2, 255, 255),
        integer("Mic Boost Volume", 2, 3, 0),
        integer("Beep Playback Volume", 1, 15, 0),
        boolean("Beep Playback Switch", 1, 0),
        integer("Capture Volume", 2, 63, 39),
        boolean("Capture Switch", 2, 1),
        enumerated("Input Source", 1, {"Mic", "Line", "Internal Mic"}, 0),
    };
}

struct FakeCard {
    std::string title;
    std::vector<FakeElement> elements;
};

std::map<std::string, FakeCard>& cards() {
    static std::map<std::string, FakeCard> all;
    return all;
}

struct Handle {
    FakeCard* card = nullptr;
    snd_ctl_ext_t ext{};
    int pipe[2] = {-1, -1};
    bool subscribed = false;
    std::deque<unsigned> events;
};

std::vector<Handle*>& openHandles() {
    static std::vector<Handle*> all;
    return all;
}

Handle* handleOf(snd_ctl_ext_t* ext) {
    return static_cast<Handle*>(ext->private_data);
}

FakeElement* elementOf(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key) {
    auto& elements = handleOf(ext)->card->elements;
    return key < elements.size() ? &elements[key] : nullptr;
}

void notifyChange(FakeCard* card, snd_ctl_ext_key_t key) {
    for (Handle* handle : openHandles()) {
        if (handle->card != card || !handle->subscribed) {
            continue;
        }
        handle->events.push_back(static_cast<unsigned>(key));
        const char byte = 1;
        [[maybe_unused]] const ssize_t ignored = ::write(handle->pipe[1], &byte, 1);
    }
}

void fakeClose(snd_ctl_ext_t* ext) {
    Handle* handle = handleOf(ext);
    auto& handles = openHandles();
    handles.erase(std::remove(handles.begin(), handles.end(), handle), handles.end());
    ::close(handle->pipe[0]);
    ::close(handle->pipe[1]);
    delete handle;
}

int fakeElemCount(snd_ctl_ext_t* ext) {
    return static_cast<int>(handleOf(ext)->card->elements.size());
}

int fakeElemList(snd_ctl_ext_t* ext, unsigned offset, snd_ctl_elem_id_t* id) {
    const FakeElement* element = elementOf(ext, offset);
    if (element == nullptr) {
        return -EINVAL;
    }
    snd_ctl_elem_id_set_interface(id, SND_CTL_ELEM_IFACE_MIXER);
    snd_ctl_elem_id_set_name(id, element->name.c_str());
    return 0;
}

snd_ctl_ext_key_t fakeFindElem(snd_ctl_ext_t* ext, const snd_ctl_elem_id_t* id) {
    const auto& elements = handleOf(ext)->card->elements;
    const unsigned numid = snd_ctl_elem_id_get_numid(id);
    if (numid > 0 && numid <= elements.size()) {
        return numid - 1;
    }
    const char* name = snd_ctl_elem_id_get_name(id);
    for (size_t i = 0; i < elements.size(); ++i) {
        if (elements[i].name == name && snd_ctl_elem_id_get_index(id) == 0) {
            return i;
        }
    }
    return SND_CTL_EXT_KEY_NOT_FOUND;
}

int fakeGetAttribute(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, int* type, unsigned* access,
                     unsigned* count) {
    const FakeElement* element = elementOf(ext, key);
    if (element == nullptr) {
        return -EINVAL;
    }
    *type = element->type;
    *access = SND_CTL_EXT_ACCESS_READWRITE;
    *count = element->count;
    return 0;
}

int fakeGetIntegerInfo(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* min, long* max, long* step) {
    const FakeElement* element = elementOf(ext, key);
    if (element == nullptr) {
        return -EINVAL;
    }
    *min = element->min;
    *max = element->max;
    *step = 0;
    return 0;
}

int fakeGetEnumeratedInfo(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, unsigned* items) {
    const FakeElement* element = elementOf(ext, key);
    if (element == nullptr) {
        return -EINVAL;
    }
    *items = static_cast<unsigned>(element->items.size());
    return 0;
}

int fakeGetEnumeratedName(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, unsigned item, char* name,
                          size_t length) {
    const FakeElement* element = elementOf(ext, key);
    if (element == nullptr || item >= element->items.size() || length == 0) {
        return -EINVAL;
    }
    std::snprintf(name, length, "%s", element->items[item].c_str());
    return 0;
}

int fakeReadInteger(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* value) {
    const FakeElement* element = elementOf(ext, key);
    if (element == nullptr) {
        return -EINVAL;
    }
    std::copy(element->values.begin(), element->values.end(), value);
    return 0;
}

int fakeReadEnumerated(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, unsigned* items) {
    const FakeElement* element = elementOf(ext, key);
    if (element == nullptr) {
        return -EINVAL;
    }
    for (unsigned i = 0; i < element->count; ++i) {
        items[i] = static_cast<unsigned>(element->values[i]);
    }
    return 0;
}

// Out-of-range values are refused, as the kernel's drivers do.
template <typename T> int writeValues(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, const T* values) {
    FakeElement* element = elementOf(ext, key);
    if (element == nullptr) {
        return -EINVAL;
    }
    for (unsigned i = 0; i < element->count; ++i) {
        if (static_cast<long>(values[i]) < element->min || static_cast<long>(values[i]) > element->max) {
            return -EINVAL;
        }
    }
    bool changed = false;
    for (unsigned i = 0; i < element->count; ++i) {
        changed = changed || element->values[i] != static_cast<long>(values[i]);
        element->values[i] = static_cast<long>(values[i]);
    }
    if (changed) {
        notifyChange(handleOf(ext)->card, key);
    }
    return changed ? 1 : 0;
}

int fakeWriteInteger(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* values) {
    return writeValues(ext, key, values);
}

int fakeWriteEnumerated(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, unsigned* items) {
    return writeValues(ext, key, items);
}

void fakeSubscribeEvents(snd_ctl_ext_t* ext, int subscribe) {
    handleOf(ext)->subscribed = subscribe != 0;
}

int fakeReadEvent(snd_ctl_ext_t* ext, snd_ctl_elem_id_t* id, unsigned* mask) {
    Handle* handle = handleOf(ext);
    if (handle->events.empty()) {
        char buffer[64];
        while (::read(handle->pipe[0], buffer, sizeof buffer) > 0) {
        }
        return -EAGAIN;
    }
    const unsigned key = handle->events.front();
    handle->events.pop_front();
    snd_ctl_elem_id_clear(id);
    snd_ctl_elem_id_set_numid(id, key + 1);
    snd_ctl_elem_id_set_interface(id, SND_CTL_ELEM_IFACE_MIXER);
    snd_ctl_elem_id_set_name(id, handle->card->elements[key].name.c_str());
    *mask = SND_CTL_EVENT_MASK_VALUE;
    return 1;
}

snd_ctl_ext_callback_t makeCallbacks() {
    snd_ctl_ext_callback_t callbacks{};
    callbacks.close = fakeClose;
    callbacks.elem_count = fakeElemCount;
    callbacks.elem_list = fakeElemList;
    callbacks.find_elem = fakeFindElem;
    callbacks.get_attribute = fakeGetAttribute;
    callbacks.get_integer_info = fakeGetIntegerInfo;
    callbacks.get_enumerated_info = fakeGetEnumeratedInfo;
    callbacks.get_enumerated_name = fakeGetEnumeratedName;
    callbacks.read_integer = fakeReadInteger;
    callbacks.read_enumerated = fakeReadEnumerated;
    callbacks.write_integer = fakeWriteInteger;
    callbacks.write_enumerated = fakeWriteEnumerated;
    callbacks.subscribe_events = fakeSubscribeEvents;
    callbacks.read_event = fakeReadEvent;
    return callbacks;
}

const snd_ctl_ext_callback_t kCallbacks = makeCallbacks();

FakeCard* cardFor(const std::string& layout) {
    auto& all = cards();
    const auto found = all.find(layout);
    if (found != all.end()) {
        return &found->second;
    }
    if (layout == "ac97") {
        return &(all[layout] = FakeCard{"Fake AC97", ac97Layout()});
    }
    if (layout == "hda") {
        return &(all[layout] = FakeCard{"Fake HDA", hdaLayout()});
    }
    return nullptr;
}

} // namespace

extern "C" SND_CTL_PLUGIN_DEFINE_FUNC(faderix_fake) {
    (void)root;
    std::string layout = "ac97";
    snd_config_iterator_t i, next;
    snd_config_for_each(i, next, conf) {
        snd_config_t* node = snd_config_iterator_entry(i);
        const char* key = nullptr;
        if (snd_config_get_id(node, &key) < 0) {
            continue;
        }
        const char* text = nullptr;
        if (std::strcmp(key, "layout") == 0 && snd_config_get_string(node, &text) == 0) {
            layout = text;
        }
    }
    FakeCard* card = cardFor(layout);
    if (card == nullptr) {
        return -EINVAL;
    }

    auto* handle = new Handle;
    handle->card = card;
    if (::pipe(handle->pipe) < 0) {
        delete handle;
        return -errno;
    }
    ::fcntl(handle->pipe[0], F_SETFL, O_NONBLOCK);
    ::fcntl(handle->pipe[1], F_SETFL, O_NONBLOCK);
    snd_ctl_ext_t& ext = handle->ext;
    ext.version = SND_CTL_EXT_VERSION;
    ext.card_idx = 0;
    std::snprintf(ext.id, sizeof ext.id, "Fake");
    std::snprintf(ext.driver, sizeof ext.driver, "faderix_fake");
    std::snprintf(ext.name, sizeof ext.name, "%s", card->title.c_str());
    std::snprintf(ext.longname, sizeof ext.longname, "%s (in memory)", card->title.c_str());
    std::snprintf(ext.mixername, sizeof ext.mixername, "%s", card->title.c_str());
    ext.poll_fd = handle->pipe[0];
    ext.callback = &kCallbacks;
    ext.private_data = handle;
    const int err = snd_ctl_ext_create(&ext, name, mode);
    if (err < 0) {
        ::close(handle->pipe[0]);
        ::close(handle->pipe[1]);
        delete handle;
        return err;
    }
    openHandles().push_back(handle);
    *handlep = ext.handle;
    return 0;
}

SND_CTL_PLUGIN_SYMBOL(faderix_fake);
