// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Reads an AVI file's outer structure, the way players other than GStreamer judge it: the RIFF size must be
// the file's size less 8 and the idx1 index must follow the movi list.

#include <QFile>
#include <QString>

#include <cstdint>
#include <string>

struct AviStructure {
    bool riff = false; // starts with "RIFF" .... "AVI "
    std::uint64_t fileSize = 0;
    std::uint32_t riffSize = 0;
    bool hasHeaderList = false; // LIST hdrl
    bool hasMovi = false;       // LIST movi
    bool idx1AfterMovi = false;
    int videoChunks = 0;      // "##dc" / "##db" in movi
    int emptyVideoChunks = 0; // of those, the empty ones: frames the source never delivered
    int emptyAtStart = 0;     // the empty ones before the first picture: the picture started after the sound
    int audioChunks = 0;      // "##wb" in movi

    // The pictures the file holds.
    int pictures() const { return videoChunks - emptyVideoChunks; }

    bool complete() const {
        return riff && riffSize + 8ull == fileSize && hasHeaderList && hasMovi && idx1AfterMovi;
    }
};

inline std::uint32_t ReadLe32(const QByteArray& data, qsizetype at) {
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData() + at);
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

inline AviStructure ReadAviStructure(const QString& path) {
    AviStructure avi;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return avi;
    }
    const QByteArray data = file.readAll();
    avi.fileSize = static_cast<std::uint64_t>(data.size());
    if (data.size() < 12 || data.left(4) != "RIFF" || data.mid(8, 4) != "AVI ") {
        return avi;
    }
    avi.riff = true;
    avi.riffSize = ReadLe32(data, 4);
    bool moviSeen = false;
    qsizetype at = 12;
    while (at + 8 <= data.size()) {
        const QByteArray id = data.mid(at, 4);
        const std::uint32_t size = ReadLe32(data, at + 4);
        const QByteArray listType =
            id == "LIST" && at + 12 <= data.size() ? data.mid(at + 8, 4) : QByteArray();
        if (listType == "hdrl") {
            avi.hasHeaderList = true;
        } else if (listType == "movi") {
            avi.hasMovi = true;
            moviSeen = true;
            const qsizetype end = std::min<qsizetype>(data.size(), at + 8 + size);
            qsizetype chunk = at + 12;
            while (chunk + 8 <= end) {
                const QByteArray chunkId = data.mid(chunk, 4);
                const std::uint32_t chunkSize = ReadLe32(data, chunk + 4);
                if (chunkId.endsWith("dc") || chunkId.endsWith("db")) {
                    ++avi.videoChunks;
                    avi.emptyVideoChunks += chunkSize == 0 ? 1 : 0;
                    avi.emptyAtStart += chunkSize == 0 && avi.videoChunks == avi.emptyVideoChunks ? 1 : 0;
                } else if (chunkId.endsWith("wb")) {
                    ++avi.audioChunks;
                }
                chunk += 8 + chunkSize + (chunkSize & 1);
            }
        } else if (id == "idx1" && moviSeen) {
            avi.idx1AfterMovi = true;
        }
        at += 8 + qsizetype(size) + (size & 1);
    }
    return avi;
}
