#include "app/screens/praise.h"

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <string>

#include <boost/bind/bind.hpp>

#include "engine/controls/animation_base.h"
#include "engine/controls/picture_factories.h"
#include "engine/resources/resource_manager.h"
#include "engine/views/theora_view.h"
#include "platform/resources/resources.h"
#include "platform/system/debug_output.h"

const std::array<PraisePair, 5> kPraisePairs { {
    { "bravo_sound", "praise_clip_0" },
    { "gotovo_sound", "praise_clip_1" },
    { "molodec_sound", "praise_clip_2" },
    { "otlichno_sound", "praise_clip_3" },
    { "ura_sound", "praise_clip_4" },
} };

namespace {

using Clip = IMAnimationBase<IMTheoraView>;
using Picture = IMStaticPictureBase<IMTextureView>;

constexpr const char* kCloud = "oblako_png";
constexpr POINT kCloudAt { 137, 100 };
// The clip's place inside the cloud, and the size its 320 × 240 frames are squashed to.
constexpr POINT kClipOffset { 93, 76 };
constexpr int kClipWidth = 320;
constexpr int kClipHeight = 200;
// The clip lies above the cloud, whose interior is opaque, though it is made first.
constexpr int kClipLayer = 1;
// Twelve frames per second, in sixty-thousandths of a second.
constexpr int32_t kClipPeriod = 5000;

struct Praise {
    IMDialog* popup;
    Clip* clip;
    Picture* cloud;
};

// The word plays on its own: nothing waits for its end. A word that cannot be opened stays silent.
void SayWord(const PraisePair& pair)
{
    IMResourceManager* rm = IMResourceManager::Instance();
    const platform::Blob word = platform::FindNamedBlob(pair.word);
    if (!rm || !word)
        return;
    const std::string name = pair.word;
    rm->Play(rm->CreateVoiceFromMemory(std::wstring(name.begin(), name.end()), word.data, DWORD(word.size)), false);
}

// A clip that is missing or cannot be decoded is left with an empty frame range, which ends its run at the first
// update: the praise goes on as if the clip had been played.
void OpenClip(Clip* clip, const PraisePair& pair)
{
    const platform::Blob blob = platform::FindNamedBlob(pair.clip);
    try {
        if (!blob)
            throw std::runtime_error(std::string("no clip ") + pair.clip);
        clip->Open(blob.data, blob.size);
    } catch (const std::exception& error) {
        OutputDebugStringA(error.what());
        clip->SetStart(0);
        clip->SetEnd(-1);
    }
}

Praise BuildPraise(IMDialog* window, POINT cloud_at, int index)
{
    const PraisePair& pair = kPraisePairs[std::clamp(index, 0, int(kPraisePairs.size()) - 1)];
    auto* popup = new IMDialog(window, nullptr, 0);
    auto* clip = new Clip(popup, kClipLayer);
    Picture* cloud = CreateBlobPicture(popup, cloud_at.x, cloud_at.y, kCloud);
    SayWord(pair);
    OpenClip(clip, pair);
    clip->SetPos(cloud_at.x + kClipOffset.x, cloud_at.y + kClipOffset.y);
    clip->SetPeriod(kClipPeriod);
    clip->SetSize(kClipWidth, kClipHeight);
    return Praise { popup, clip, cloud };
}

// The slot is bound to owner, so it is cut once owner is gone; an owner already closing is left alone.
long CloseIfOpen(IMControl* control)
{
    if (!control->IsClosing())
        control->Close();
    return 0;
}

auto Closer(IMControl* control)
{
    return boost::bind(&CloseIfOpen, control);
}

long ShowControl(IMControl* control)
{
    control->Show();
    return 0;
}

// The pop-up goes when owner goes, whoever closes it.
void TieTo(IMDialog* popup, IMDialog* owner)
{
    if (owner)
        IMControl::ConnectClosing(owner, Closer(popup));
}

} // namespace

int PraiseIndex(int r)
{
    const int index = int(r * 5.0 * (1.0 / 32768));
    return std::clamp(index, 0, int(kPraisePairs.size()) - 1);
}

IMDialog* ShowPraisePopup(IMDialog* window, int x, int y, int index, IMDialog* scene)
{
    const Praise praise = BuildPraise(window, POINT { x, y }, index);
    Clip::ConnectFinished(praise.clip, Closer(praise.popup));
    if (scene && !scene->IsClosing()) {
        Clip::ConnectFinished(praise.clip, Closer(scene));
        TieTo(praise.popup, scene);
    }
    praise.clip->Play();
    return praise.popup;
}

IMDialog* ShowPraisePopupWithExit(IMDialog* window, int index, IMDialog* target)
{
    const Praise praise = BuildPraise(window, kCloudAt, index);
    Clip::ConnectFinished(praise.clip, Closer(praise.clip));
    Clip::ConnectFinished(praise.clip, Closer(praise.cloud));
    praise.clip->Play();
    Picture* exit = CreatePicture(praise.popup, 770, 10, L"ExitButton", 901, 0xFFFFFFFFu);
    exit->SetRect(RECT { 740, 10, 780, 50 });
    Clip::ConnectFinished(praise.clip, boost::bind(&ShowControl, exit));
    if (target) {
        IMControl::ConnectClick(exit, Closer(target));
        TieTo(praise.popup, target);
    }
    return praise.popup;
}
