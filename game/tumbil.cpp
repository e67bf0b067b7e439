#include "game/tumbil.h"

#include <array>

#include <boost/bind/bind.hpp>

namespace {

// Frame pictures are drawn so that 50 of their pixels span one cell.
constexpr int32_t kPicturePixelsPerCell = 50;
// Idle runs come after more than this many whole seconds of standing.
constexpr int64_t kIdleSeconds = 100;
constexpr int kFrameMs = 40;

struct FrameRun {
    const wchar_t* pattern;
    int first;
    int last;
};

// Appended in this order: frame indexes 0 .. 243.
constexpr std::array<FrameRun, 17> kFrameRuns { {
    { L"7%1$05d", 0, 9 }, // turn down - right: 0 - 9
    { L"9%1$05d", 0, 9 }, // turn right - up: 10 - 19
    { L"6%1$05d", 10, 19 }, // turn down - left: 20 - 29
    { L"8%1$05d", 10, 19 }, // turn left - up: 30 - 39
    { L"10%1$05d", 18, 32 }, // walk down, foot set: 40 - 54
    { L"11%1$05d", 0, 14 }, // walk down, foot clear: 55 - 69
    { L"13%1$05d", 18, 32 }, // walk left, foot clear: 70 - 84
    { L"14%1$05d", 0, 14 }, // walk left, foot set: 85 - 99
    { L"17%1$05d", 18, 32 }, // walk up, foot clear: 100 - 114
    { L"18%1$05d", 0, 14 }, // walk up, foot set: 115 - 129
    { L"15%1$05d", 18, 32 }, // walk right, foot set: 130 - 144
    { L"16%1$05d", 0, 14 }, // walk right, foot clear: 145 - 159
    { L"2%1$05d", 1, 4 }, // idle down: 160 - 163
    { L"3%1$05d", 1, 4 }, // idle left: 164 - 167
    { L"4%1$05d", 1, 4 }, // idle right: 168 - 171
    { L"5%1$05d", 1, 4 }, // idle up: 172 - 175
    { L"%1%", 110, 177 }, // drowning, four directions: 176 - 243
} };

// Indexed by direction: down, right, up, left.
constexpr std::array<int, 4> kStillFrame { 0, 9, 19, 29 };
// Walk runs play 14 of their 15 frames: [direction][foot set].
constexpr std::array<std::array<int, 2>, 4> kWalkStart { { { 55, 40 }, { 145, 130 }, { 100, 115 }, { 70, 85 } } };
constexpr int kWalkFrames = 14;
constexpr std::array<int, 4> kIdleStart { 160, 168, 172, 164 };
constexpr int kIdleFrames = 4;
constexpr std::array<int, 4> kDrowningStart { 176, 210, 227, 193 };
constexpr int kDrowningFrames = 16;

// Each quarter-turn run shows the turn from `from` to `to` when played forward, and back when played backward.
struct QuarterTurn {
    int32_t from;
    int32_t to;
    int first;
};
constexpr std::array<QuarterTurn, 4> kQuarterTurns { {
    { kDown, kRight, 0 },
    { kRight, kUp, 10 },
    { kDown, kLeft, 20 },
    { kLeft, kUp, 30 },
} };
constexpr int kTurnFrames = 10;

bool AreNeighbours(int32_t a, int32_t b)
{
    const int32_t apart = (a - b + 4) % 4;
    return apart == 1 || apart == 3;
}

// A quarter turn goes straight to the target. A half turn carries on the rotation of the last quarter turn: it
// first faces the neighbour that is not the previous direction. When the previous direction is no neighbour
// (after a reset), it turns clockwise on the ring so that the turn still completes.
int32_t NextFacing(int32_t direction, int32_t target, int32_t previous)
{
    if (AreNeighbours(direction, target))
        return target;
    const int32_t ahead = (direction + 1) % 4;
    const int32_t behind = (direction + 3) % 4;
    return previous == ahead ? behind : ahead;
}

int64_t NowSeconds()
{
    LARGE_INTEGER counter {};
    LARGE_INTEGER frequency {};
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart > 0 ? counter.QuadPart / frequency.QuadPart : 0;
}

} // namespace

IMTumbil::IMTumbil(IMControl::Dialog* field)
    : IMAnimationBase<IMSequenceView>(field, 0)
    , arrival_time_(NowSeconds())
{
    SetFocusable(true);
    for (const FrameRun& run : kFrameRuns)
        AddFrames(run.pattern, run.first, run.last);
    const RECT r = GetRect();
    const RECT picture = GetSrcRect();
    SetRect(RECT { r.left, r.top, r.left + cell_width_ * picture.right / kPicturePixelsPerCell,
        r.top + cell_height_ * picture.bottom / kPicturePixelsPerCell });
    ConnectFinished(this, boost::bind(&IMTumbil::OnAnimationFinished, this, boost::placeholders::_1));
    ConnectFrame(this, boost::bind(&IMTumbil::Update, this, boost::placeholders::_1));
}

IMTumbil::~IMTumbil() = default;

POINT IMTumbil::CellPosition() const
{
    const RECT r = GetRect();
    const LONG width = r.right - r.left;
    const LONG height = r.bottom - r.top;
    return POINT { cell_x_ * cell_width_ - width / 2 + cell_width_ / 2 + origin_x_,
        cell_y_ * cell_height_ - height / 2 + cell_height_ / 2 + origin_y_ };
}

void IMTumbil::SetCell(int32_t x, int32_t y)
{
    cell_x_ = x;
    cell_y_ = y;
    SetPos(CellPosition());
}

long IMTumbil::ResetToCell(int32_t x, int32_t y)
{
    if (IsPlaying())
        return 0;
    SetCell(x, y);
    foot_toggle_ = true;
    direction_ = kDown;
    target_direction_ = kDown;
    walking_ = false;
    drowning_connection_.disconnect();
    return 0;
}

void IMTumbil::Drown()
{
    if (IsDrowning())
        return;
    const int first = kDrowningStart[direction_];
    PlayRange(first, first + kDrowningFrames - 1, true);
    drowning_connection_ = ConnectFinished(this, boost::bind(&IMTumbil::ResetToCell, this, kStartCell.x, kStartCell.y));
}

long IMTumbil::Update(const IMEvent&)
{
    if (IsPlaying())
        return 0;
    if (direction_ != target_direction_)
        Turn();
    else if (walking_)
        Step();
    else
        StandStill();
    return 0;
}

void IMTumbil::StandStill()
{
    SetFrame(kStillFrame[direction_]);
    const int64_t standing = NowSeconds() - arrival_time_;
    if (standing < 0 || standing <= kIdleSeconds)
        return;
    const int first = kIdleStart[direction_];
    PlayRange(first, first + kIdleFrames - 1, true);
}

void IMTumbil::Turn()
{
    const int32_t next = NextFacing(direction_, target_direction_, previous_direction_);
    for (const QuarterTurn& turn : kQuarterTurns) {
        const bool forward = turn.from == direction_ && turn.to == next;
        const bool backward = turn.to == direction_ && turn.from == next;
        if (!forward && !backward)
            continue;
        PlayRange(turn.first, turn.first + kTurnFrames - 1, forward);
        previous_direction_ = direction_;
        direction_ = next;
        return;
    }
}

void IMTumbil::Step()
{
    if (direction_ == kUp && cell_y_ <= 0)
        return;
    const MazeCell next = Neighbour(GetCell(), direction_);
    cell_x_ = next.x;
    cell_y_ = next.y;
    step_connection_ = ConnectFrame(this, boost::bind(&IMTumbil::InterpolateStep, this, boost::placeholders::_1));
    const int first = kWalkStart[direction_][foot_toggle_ ? 1 : 0];
    PlayRange(first, first + kWalkFrames - 1, true);
    foot_toggle_ = !foot_toggle_;
}

void IMTumbil::PlayRange(int first, int last, bool forward)
{
    SetStart(first);
    SetEnd(last);
    Play(forward);
}

long IMTumbil::InterpolateStep(const IMEvent&)
{
    POINT p = CellPosition();
    const int64_t count = int64_t(GetEnd()) - GetStart() + 1;
    const int64_t t = ElapsedMs();
    const bool vertical = direction_ == kDown || direction_ == kUp;
    const int64_t size = vertical ? cell_height_ : cell_width_;
    const LONG d = count > 0 ? static_cast<LONG>(t * size / count / kFrameMs) : static_cast<LONG>(size);
    switch (direction_) {
    case kDown:
        p.y += d - cell_height_;
        break;
    case kUp:
        p.y += cell_height_ - d;
        break;
    case kRight:
        p.x += d - cell_width_;
        break;
    case kLeft:
        p.x += cell_width_ - d;
        break;
    default:
        break;
    }
    SetPos(p);
    return 0;
}

long IMTumbil::OnAnimationFinished(const IMEvent&)
{
    SetCell(cell_x_, cell_y_);
    step_connection_.disconnect();
    arrival_time_ = NowSeconds();
    return 0;
}
