#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "platform/input/input_translator.h"

namespace {

using platform::InputMessage;

class Translator : public ::testing::Test {
protected:
    std::vector<InputMessage> Feed(const SDL_Event& e)
    {
        std::vector<InputMessage> out;
        platform::TranslateEvent(e, mapping, state, out);
        return out;
    }
    static SDL_Event Event(Uint32 type, Uint32 time = 0)
    {
        SDL_Event e;
        std::memset(&e, 0, sizeof e);
        e.type = type;
        e.common.timestamp = time;
        return e;
    }
    std::vector<InputMessage> Key(SDL_Scancode sc, bool down, bool repeat = false)
    {
        SDL_Event e = Event(down ? SDL_KEYDOWN : SDL_KEYUP);
        e.key.keysym.scancode = sc;
        e.key.repeat = repeat;
        return Feed(e);
    }
    std::vector<InputMessage> Text(const char* utf8)
    {
        SDL_Event e = Event(SDL_TEXTINPUT);
        std::strncpy(e.text.text, utf8, sizeof e.text.text - 1);
        return Feed(e);
    }
    std::vector<InputMessage> Move(int x, int y)
    {
        SDL_Event e = Event(SDL_MOUSEMOTION);
        e.motion.x = x;
        e.motion.y = y;
        return Feed(e);
    }
    std::vector<InputMessage> Button(Uint8 button, bool down, int x, int y, Uint32 time = 0)
    {
        SDL_Event e = Event(down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP, time);
        e.button.button = button;
        e.button.x = x;
        e.button.y = y;
        return Feed(e);
    }
    std::vector<InputMessage> Wheel(float notches, int x, int y, float horizontal = 0)
    {
        SDL_Event e = Event(SDL_MOUSEWHEEL);
        e.wheel.y = static_cast<Sint32>(notches);
        e.wheel.preciseY = notches;
        e.wheel.preciseX = horizontal;
        e.wheel.x = static_cast<Sint32>(horizontal);
        e.wheel.mouseX = x;
        e.wheel.mouseY = y;
        return Feed(e);
    }
    std::vector<InputMessage> Window(SDL_WindowEventID id)
    {
        SDL_Event e = Event(SDL_WINDOWEVENT);
        e.window.event = id;
        return Feed(e);
    }
    // The messages of a whole click: down then up at (x, y).
    std::vector<UINT> Click(int x, int y, Uint32 time)
    {
        std::vector<UINT> kinds;
        for (auto& m : Button(SDL_BUTTON_LEFT, true, x, y, time))
            kinds.push_back(m.message);
        for (auto& m : Button(SDL_BUTTON_LEFT, false, x, y, time + 10))
            kinds.push_back(m.message);
        return kinds;
    }

    platform::InputMapping mapping = platform::DirectMapping(SIZE { 800, 600 }, POINT { 100, 50 });
    platform::InputState state;
};

// --- keys ---

TEST_F(Translator, KeyCodesFollowThePhysicalKeyWhateverTheLayoutTypes)
{
    auto down = Key(SDL_SCANCODE_I, true);
    ASSERT_EQ(down.size(), 1u);
    EXPECT_EQ(down[0].message, WM_KEYDOWN);
    EXPECT_EQ(down[0].wParam, 0x49u);
    // The Russian layout types "ш" on that key: the character comes as text, the code stays the key's.
    auto text = Text("ш");
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(text[0].message, WM_CHAR);
    EXPECT_EQ(text[0].wParam, WPARAM(L'ш'));
    auto up = Key(SDL_SCANCODE_I, false);
    ASSERT_EQ(up.size(), 1u);
    EXPECT_EQ(up[0].message, WM_KEYUP);
    EXPECT_EQ(up[0].wParam, 0x49u);
    EXPECT_EQ(Key(SDL_SCANCODE_F1, true)[0].wParam, VK_F1);
    EXPECT_EQ(Key(SDL_SCANCODE_F12, true)[0].wParam, VK_F12);
    EXPECT_EQ(Key(SDL_SCANCODE_DELETE, true)[0].wParam, VK_DELETE);
    EXPECT_EQ(Key(SDL_SCANCODE_0, true)[0].wParam, WPARAM('0'));
    EXPECT_EQ(Key(SDL_SCANCODE_9, true)[0].wParam, WPARAM('9'));
}

TEST_F(Translator, KeyLParamCarriesScanCodeExtendedBitPreviousStateAndTransition)
{
    LPARAM down = Key(SDL_SCANCODE_A, true)[0].lParam;
    EXPECT_EQ(LOWORD(down), 1u); // repeat count
    EXPECT_EQ((down >> 16) & 0xFF, 0x1Eu); // scan code of A
    EXPECT_EQ(down >> 24, 0u); // not extended, no Alt, was up, going down
    LPARAM repeat = Key(SDL_SCANCODE_A, true, true)[0].lParam;
    EXPECT_EQ(repeat >> 30, 1u); // previous state down, still a press
    LPARAM up = Key(SDL_SCANCODE_A, false)[0].lParam;
    EXPECT_EQ(up >> 30, 3u); // previous state down, release
    EXPECT_EQ((Key(SDL_SCANCODE_LEFT, true)[0].lParam >> 24) & 1, 1u);
    EXPECT_EQ((Key(SDL_SCANCODE_KP_ENTER, true)[0].lParam >> 24) & 1, 1u);
}

TEST_F(Translator, HeldKeyRepeatsAsKeyDownWithPreviousStateSetEvenWithoutSdlRepeatFlag)
{
    Key(SDL_SCANCODE_SPACE, true);
    auto again = Key(SDL_SCANCODE_SPACE, true);
    EXPECT_EQ(again[0].message, WM_KEYDOWN);
    EXPECT_NE(again[0].lParam & (1u << 30), 0u);
}

TEST_F(Translator, ModifiersUseGenericCodesWithExtendedBitForRightHandKeys)
{
    struct Case {
        SDL_Scancode sc;
        UINT vk;
        bool extended;
    } cases[] = { { SDL_SCANCODE_LCTRL, VK_CONTROL, false }, { SDL_SCANCODE_RCTRL, VK_CONTROL, true },
        { SDL_SCANCODE_LSHIFT, VK_SHIFT, false }, { SDL_SCANCODE_RSHIFT, VK_SHIFT, false },
        { SDL_SCANCODE_LALT, VK_MENU, false }, { SDL_SCANCODE_RALT, VK_MENU, true } };
    for (const Case& c : cases) {
        auto down = Key(c.sc, true);
        ASSERT_FALSE(down.empty());
        EXPECT_EQ(down[0].wParam, c.vk) << c.sc;
        EXPECT_EQ(((down[0].lParam >> 24) & 1) != 0, c.extended) << c.sc;
        Key(c.sc, false);
    }
    // Right Shift is told apart by its scan code.
    EXPECT_EQ((Key(SDL_SCANCODE_RSHIFT, true)[0].lParam >> 16) & 0xFF, 0x36u);
}

TEST_F(Translator, AltTurnsKeysIntoSystemKeysAndF10IsAlwaysOne)
{
    auto alt = Key(SDL_SCANCODE_LALT, true);
    EXPECT_EQ(alt[0].message, WM_SYSKEYDOWN);
    auto x = Key(SDL_SCANCODE_X, true);
    ASSERT_EQ(x.size(), 1u); // no character under Alt
    EXPECT_EQ(x[0].message, WM_SYSKEYDOWN);
    EXPECT_NE(x[0].lParam & (1u << 29), 0u); // Alt context
    EXPECT_EQ(Key(SDL_SCANCODE_RETURN, true).size(), 1u);
    EXPECT_EQ(Key(SDL_SCANCODE_X, false)[0].message, WM_SYSKEYUP);
    EXPECT_EQ(Key(SDL_SCANCODE_LALT, false)[0].message, WM_SYSKEYUP);
    // Alt released: plain keys again.
    EXPECT_EQ(Key(SDL_SCANCODE_X, true)[0].message, WM_KEYDOWN);

    auto f10 = Key(SDL_SCANCODE_F10, true);
    EXPECT_EQ(f10[0].message, WM_SYSKEYDOWN);
    EXPECT_EQ(f10[0].lParam & (1u << 29), 0u);
    EXPECT_EQ(Key(SDL_SCANCODE_F10, false)[0].message, WM_SYSKEYUP);
}

TEST_F(Translator, ControlKeysGiveTheirCharacterRightAfterTheKeyDown)
{
    struct Case {
        SDL_Scancode sc;
        WPARAM ch;
    } cases[] = { { SDL_SCANCODE_RETURN, 13 }, { SDL_SCANCODE_KP_ENTER, 13 }, { SDL_SCANCODE_ESCAPE, 27 },
        { SDL_SCANCODE_BACKSPACE, 8 }, { SDL_SCANCODE_TAB, 9 } };
    for (const Case& c : cases) {
        auto down = Key(c.sc, true);
        ASSERT_EQ(down.size(), 2u) << c.sc;
        EXPECT_EQ(down[1].message, WM_CHAR);
        EXPECT_EQ(down[1].wParam, c.ch);
        EXPECT_EQ(Key(c.sc, false).size(), 1u); // nothing typed on release
    }
    // Plain letters type through text only.
    EXPECT_EQ(Key(SDL_SCANCODE_A, true).size(), 1u);
}

TEST_F(Translator, CtrlWithLettersAndEnterTypesControlCharactersAndSuppressesText)
{
    Key(SDL_SCANCODE_RCTRL, true);
    auto a = Key(SDL_SCANCODE_A, true);
    ASSERT_EQ(a.size(), 2u);
    EXPECT_EQ(a[1].wParam, 1u);
    EXPECT_EQ(Key(SDL_SCANCODE_Z, true)[1].wParam, 26u);
    EXPECT_EQ(Key(SDL_SCANCODE_I, true)[1].wParam, 9u);
    EXPECT_EQ(Key(SDL_SCANCODE_RETURN, true)[1].wParam, 10u);
    EXPECT_EQ(Key(SDL_SCANCODE_BACKSPACE, true)[1].wParam, 0x7Fu);
    EXPECT_EQ(Key(SDL_SCANCODE_LEFTBRACKET, true)[1].wParam, 27u);
    EXPECT_EQ(Key(SDL_SCANCODE_BACKSLASH, true)[1].wParam, 28u);
    EXPECT_EQ(Key(SDL_SCANCODE_RIGHTBRACKET, true)[1].wParam, 29u);
    EXPECT_EQ(Key(SDL_SCANCODE_1, true).size(), 1u);
    EXPECT_TRUE(Text("a").empty());
    Key(SDL_SCANCODE_RCTRL, false);
    EXPECT_EQ(Text("a").size(), 1u);
}

TEST_F(Translator, TextGivesOneCharacterPerCodePointAndDropsControlCharacters)
{
    auto text = Text("Ёж a\r\xF0\x9F\x90\xB8");
    ASSERT_EQ(text.size(), 5u);
    EXPECT_EQ(text[4].wParam, 0x1F438u);
    EXPECT_EQ(text[0].wParam, WPARAM(L'Ё'));
    EXPECT_EQ(text[1].wParam, WPARAM(L'ж'));
    EXPECT_EQ(text[2].wParam, WPARAM(L' '));
    EXPECT_EQ(text[3].wParam, WPARAM(L'a'));
}

TEST_F(Translator, LeftAltSuppressesTextButAltGrStillTypes)
{
    Key(SDL_SCANCODE_LALT, true);
    EXPECT_TRUE(Text("x").empty());
    Key(SDL_SCANCODE_LALT, false);
    Key(SDL_SCANCODE_RALT, true);
    EXPECT_EQ(Text("€").size(), 1u);
}

TEST_F(Translator, AsyncKeyStateFollowsKeysAndButtonsHeld)
{
    EXPECT_EQ(platform::AsyncKeyState(state, VK_CONTROL), 0);
    Key(SDL_SCANCODE_RCTRL, true);
    EXPECT_NE(platform::AsyncKeyState(state, VK_CONTROL) & 0x8000, 0);
    EXPECT_NE(platform::AsyncKeyState(state, VK_RCONTROL) & 0x8000, 0);
    EXPECT_EQ(platform::AsyncKeyState(state, VK_LCONTROL), 0);
    Key(SDL_SCANCODE_RCTRL, false);
    EXPECT_EQ(platform::AsyncKeyState(state, VK_CONTROL), 0);
    Key(SDL_SCANCODE_I, true);
    EXPECT_NE(platform::AsyncKeyState(state, 'I') & 0x8000, 0);
    Button(SDL_BUTTON_RIGHT, true, 5, 5);
    EXPECT_NE(platform::AsyncKeyState(state, VK_RBUTTON) & 0x8000, 0);
    EXPECT_EQ(platform::AsyncKeyState(state, VK_LBUTTON), 0);
}

// --- mouse ---

TEST_F(Translator, ButtonFlagsDescribeTheStateAfterTheEvent)
{
    Move(10, 20);
    auto down = Button(SDL_BUTTON_LEFT, true, 10, 20);
    ASSERT_EQ(down.size(), 1u);
    EXPECT_EQ(down[0].message, WM_LBUTTONDOWN);
    EXPECT_EQ(down[0].wParam, MK_LBUTTON);
    EXPECT_EQ(down[0].lParam, MAKELPARAM(10, 20));
    auto right = Button(SDL_BUTTON_RIGHT, true, 10, 20);
    EXPECT_EQ(right[0].wParam, MK_LBUTTON | MK_RBUTTON);
    auto move = Move(11, 20);
    EXPECT_EQ(move[0].wParam, MK_LBUTTON | MK_RBUTTON);
    auto up = Button(SDL_BUTTON_LEFT, false, 11, 20);
    EXPECT_EQ(up[0].message, WM_LBUTTONUP);
    EXPECT_EQ(up[0].wParam, MK_RBUTTON);
    EXPECT_EQ(Button(SDL_BUTTON_RIGHT, false, 11, 20)[0].wParam, 0u);
    EXPECT_EQ(Button(SDL_BUTTON_MIDDLE, true, 11, 20)[0].message, WM_MBUTTONDOWN);

    Key(SDL_SCANCODE_LSHIFT, true);
    Key(SDL_SCANCODE_RCTRL, true);
    EXPECT_EQ(Move(12, 20)[0].wParam, MK_MBUTTON | MK_SHIFT | MK_CONTROL);
}

TEST_F(Translator, ButtonAtANewPositionIsPrecededByAMove)
{
    Move(10, 10);
    auto down = Button(SDL_BUTTON_LEFT, true, 40, 30);
    ASSERT_EQ(down.size(), 2u);
    EXPECT_EQ(down[0].message, WM_MOUSEMOVE);
    EXPECT_EQ(down[0].lParam, MAKELPARAM(40, 30));
    EXPECT_EQ(down[0].wParam, 0u); // the button is not down yet
    EXPECT_EQ(down[1].message, WM_LBUTTONDOWN);
    // Same position: no move; the very first event also gets one.
    EXPECT_EQ(Button(SDL_BUTTON_LEFT, false, 40, 30).size(), 1u);
    EXPECT_TRUE(Move(40, 30).empty());
}

TEST_F(Translator, SecondPressCloseInTimeAndPlaceIsADoubleClickAndAThirdStartsOver)
{
    Move(100, 100);
    EXPECT_EQ(Click(100, 100, 1000), (std::vector<UINT> { WM_LBUTTONDOWN, WM_LBUTTONUP }));
    EXPECT_EQ(Click(101, 99, 1300), (std::vector<UINT> { WM_MOUSEMOVE, WM_LBUTTONDBLCLK, WM_LBUTTONUP }));
    EXPECT_EQ(Click(101, 99, 1400), (std::vector<UINT> { WM_LBUTTONDOWN, WM_LBUTTONUP }));
    EXPECT_EQ(Click(101, 99, 1500)[0], UINT(WM_LBUTTONDBLCLK));
}

TEST_F(Translator, DoubleClickNeedsTheSameButtonWithinTimeAndSquare)
{
    Move(100, 100);
    Click(100, 100, 1000);
    EXPECT_EQ(Click(100, 100, 1501)[0], UINT(WM_LBUTTONDOWN)); // too late
    EXPECT_EQ(Click(103, 100, 1600)[1], UINT(WM_LBUTTONDOWN)); // too far (after the move)
    EXPECT_EQ(Click(103, 103, 1700)[1], UINT(WM_LBUTTONDOWN));

    auto right = Button(SDL_BUTTON_RIGHT, true, 103, 103, 1750); // another button breaks the sequence
    EXPECT_EQ(right[0].message, WM_RBUTTONDOWN);
    Button(SDL_BUTTON_RIGHT, false, 103, 103, 1760);
    EXPECT_EQ(Click(103, 103, 1800)[0], UINT(WM_LBUTTONDOWN));

    Button(SDL_BUTTON_RIGHT, true, 103, 103, 2000);
    Button(SDL_BUTTON_RIGHT, false, 103, 103, 2010);
    EXPECT_EQ(Button(SDL_BUTTON_RIGHT, true, 103, 103, 2100)[0].message, WM_RBUTTONDBLCLK);
}

TEST_F(Translator, DoubleClickUsesOwnTimingNotSdlClickCount)
{
    Move(5, 5);
    SDL_Event e = Event(SDL_MOUSEBUTTONDOWN, 0);
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = e.button.y = 5;
    e.button.clicks = 2;
    EXPECT_EQ(Feed(e)[0].message, WM_LBUTTONDOWN);
}

TEST_F(Translator, SideButtonsAndHorizontalWheelGiveNothing)
{
    Move(5, 5);
    EXPECT_TRUE(Button(SDL_BUTTON_X1, true, 5, 5).empty());
    EXPECT_TRUE(Button(SDL_BUTTON_X2, false, 5, 5).empty());
    EXPECT_TRUE(Wheel(0, 5, 5, 1.0f).empty());
    EXPECT_EQ(state.buttons, 0u);
}

TEST_F(Translator, WheelCarriesDeltaPerNotchKeyStateAndScreenCoordinates)
{
    Move(5, 5);
    Button(SDL_BUTTON_LEFT, true, 5, 5);
    auto up = Wheel(1, 30, 40);
    ASSERT_EQ(up.size(), 1u);
    EXPECT_EQ(up[0].message, WM_MOUSEWHEEL);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(up[0].wParam), 120);
    EXPECT_EQ(LOWORD(up[0].wParam), MK_LBUTTON);
    EXPECT_EQ(GET_X_LPARAM(up[0].lParam), 130); // screen = client + window origin (100, 50)
    EXPECT_EQ(GET_Y_LPARAM(up[0].lParam), 90);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(Wheel(-2, 30, 40)[0].wParam), -240);

    SDL_Event flipped = Event(SDL_MOUSEWHEEL);
    flipped.wheel.y = 1;
    flipped.wheel.preciseY = 1;
    flipped.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(Feed(flipped)[0].wParam), -120);
}

// --- letterboxed window ---

TEST_F(Translator, PointsInTheBarsAreOutsideTheClientAndSendNoMouseMessages)
{
    // A 1600 x 1400 window shows the 800 x 600 client at 2x from x = 0, y = 100 (bars above and below).
    mapping = platform::InputMapping { platform::LetterboxViewport(1600, 1400, SIZE { 800, 600 }), SIZE { 800, 600 },
        POINT { 0, 0 } };
    auto inside = Move(801, 301);
    ASSERT_EQ(inside.size(), 1u);
    EXPECT_EQ(inside[0].lParam, MAKELPARAM(400, 100));
    EXPECT_TRUE(Move(500, 50).empty());
    EXPECT_TRUE(Button(SDL_BUTTON_LEFT, true, 500, 50).empty());
    EXPECT_EQ(state.buttons, MK_LBUTTON); // still held: the next move inside says so
    POINT cursor = state.cursor;
    EXPECT_LT(cursor.y, 0);
    auto back = Move(500, 500);
    EXPECT_EQ(back[0].wParam, MK_LBUTTON);
    auto up = Button(SDL_BUTTON_LEFT, false, 500, 500);
    EXPECT_EQ(up[0].message, WM_LBUTTONUP);
}

// --- window ---

TEST_F(Translator, WindowEventsBecomeSizeShowPaintAndCloseMessages)
{
    auto minimised = Window(SDL_WINDOWEVENT_MINIMIZED);
    EXPECT_EQ(minimised[0].message, WM_SIZE);
    EXPECT_EQ(minimised[0].wParam, SIZE_MINIMIZED);
    auto restored = Window(SDL_WINDOWEVENT_RESTORED);
    EXPECT_EQ(restored[0].wParam, SIZE_RESTORED);
    EXPECT_EQ(restored[0].lParam, MAKELPARAM(800, 600));
    EXPECT_EQ(Window(SDL_WINDOWEVENT_HIDDEN)[0].message, WM_SHOWWINDOW);
    auto shown = Window(SDL_WINDOWEVENT_SHOWN);
    EXPECT_EQ(shown[0].wParam, 1u);
    EXPECT_TRUE(Window(SDL_WINDOWEVENT_SHOWN).empty()); // already shown
    EXPECT_EQ(Window(SDL_WINDOWEVENT_EXPOSED)[0].message, WM_PAINT);
    EXPECT_EQ(Window(SDL_WINDOWEVENT_CLOSE)[0].message, WM_CLOSE);
    EXPECT_EQ(Feed(Event(SDL_QUIT))[0].message, WM_CLOSE);
    EXPECT_TRUE(Window(SDL_WINDOWEVENT_FOCUS_LOST).empty());
}

} // namespace
