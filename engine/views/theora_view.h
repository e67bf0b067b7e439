// A texture view that plays an Ogg Theora clip lying whole in memory, one frame per SetFrame.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>

#include <ogg/ogg.h>
#include <theora/theora.h>

#include "platform/win32.h"

// Called with locked texture memory: its bits, row pitch in bytes and image height in rows.
using IMPixelWriter = std::function<void(void* bits, int pitch, int height)>;

// The texture-table operations the view uses.
struct IMFrameTextureTable {
    // A zero-filled X8R8G8B8 texture of at least width × height pixels; returns its id.
    std::function<DWORD(const std::wstring& name, int width, int height)> create_frame_texture;
    std::function<void(DWORD id, const IMPixelWriter& writer)> write_texture_pixels;
    std::function<void(DWORD id)> release_texture;
    std::function<bool()> is_device_lost;
};

class IMTheoraView {
public:
    static constexpr int kWholeClip = 0x7FFFFFFF;

    explicit IMTheoraView(IMFrameTextureTable textures);
    virtual ~IMTheoraView();
    IMTheoraView(const IMTheoraView&) = delete;
    IMTheoraView& operator=(const IMTheoraView&) = delete;

    // Reads the headers, creates the two frame textures and prepares frame 0. The data is not copied and must
    // outlive the view. Throws std::runtime_error when the clip cannot be decoded; the view then shows nothing
    // and its end is −1.
    void Open(const void* data, size_t size);

    virtual void SetFrame(int n);
    virtual int GetFrame() { return current_; }
    virtual int GetStart() { return start_; }
    virtual int GetEnd() { return end_; }
    virtual void SetStart(int n) { start_ = n; }
    virtual void SetEnd(int n) { end_ = n; }

    // The shown texture and its source rectangle, as a texture view keeps them.
    DWORD GetTextureId() const { return texture_id_; }
    RECT GetSrcRect() const { return src_rect_; }

private:
    // An auto-reset event for a hand-over on one thread: it is always set before it is waited for.
    class HandOver {
    public:
        void Set() { signalled_ = true; }
        void Reset() { signalled_ = false; }
        // Takes the signal; false where a blocking wait would never return.
        bool Take() { return std::exchange(signalled_, false); }

    private:
        bool signalled_ = false;
    };

    void StartDecoding();
    void ClearDecoding();
    void ReleaseTextures();
    size_t FeedData();
    void ReadHeaders();
    void FindTheoraStream();
    void TakeBeginningPage();
    void ReadSecondaryHeaders();
    void CreateTextures();
    bool NextPacket();
    void DecodePacket();
    void DecodeNextFrame();
    int SeekFrame();
    void Rewind();
    void ConvertIntoBackTexture();
    void WritePicture(void* bits, int pitch, int image_height) const;

    void SetTextureId(DWORD id) { texture_id_ = id; }
    void SetSrcRect(const RECT& rect) { src_rect_ = rect; }

    IMFrameTextureTable textures_;
    DWORD texture_id_ = 0;
    RECT src_rect_ {};

    ogg_sync_state sync_ {};
    ogg_stream_state stream_ {};
    ogg_page page_ {};
    ogg_packet packet_ {};
    theora_info info_ {};
    theora_comment comment_ {};
    theora_state decoder_ {};
    yuv_buffer picture_ {};
    bool decoding_ = false;
    int headers_ = 0;

    const BYTE* data_ = nullptr;
    size_t size_ = 0;
    size_t offset_ = 0;

    int current_ = 0;
    int end_ = kWholeClip;
    int start_ = 0;
    bool has_textures_ = false;
    DWORD shown_texture_ = 0;
    DWORD back_texture_ = 0;
    int last_decoded_ = 0;
    int requested_ = 0;
    HandOver decode_request_;
    HandOver frame_ready_;
};
