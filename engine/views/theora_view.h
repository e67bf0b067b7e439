// A texture view that plays an Ogg Theora clip lying whole in memory, one frame per SetFrame.
#pragma once

#include <cstddef>
#include <utility>

#include <ogg/ogg.h>
#include <theora/theora.h>

#include "engine/views/animation_view.h"
#include "engine/views/texture_view.h"
#include "platform/win32.h"

// Its two frame textures come from the resource manager's texture table; the view holds one reference to each
// besides the one its texture-view part holds on the texture shown.
class IMTheoraView : public IMTextureView, public IMAnimationView {
public:
    static constexpr int kWholeClip = 0x7FFFFFFF;

    IMTheoraView();
    ~IMTheoraView() override;

    // Reads the headers, creates the two frame textures and prepares frame 0. The data is not copied and must
    // outlive the view. Throws std::runtime_error when the clip cannot be decoded or its textures cannot be made;
    // the view then shows nothing new and its end is −1.
    void Open(const void* data, size_t size);

    // Shows the frame prepared by the previous call and prepares frame n + 1. Throws std::runtime_error when that
    // frame does not decode; the clip then ends at the last frame decoded.
    void SetFrame(int n) override;
    int GetFrame() const override { return current_; }
    int GetStart() const override { return start_; }
    int GetEnd() const override { return end_; }
    void SetStart(int n) override { start_ = n; }
    void SetEnd(int n) override { end_ = n; }

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
    static bool DeviceLost();
    void ConvertIntoBackTexture();
    void WritePicture(BYTE* bits, int pitch, int image_height) const;

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
