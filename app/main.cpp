// A small tour of the main window until the application takes its place: the skin background, a panel of skin
// buttons that light up under the cursor, and a marker that a window timer walks across the panel. Esc, the exit
// button or closing the window ends it.
#include <cstdio>
#include <exception>
#include <string>

#include "assets/embedded_assets.h"
#include "engine/resources/resource_manager.h"
#include "engine/views/view_control.h"
#include "engine/window/window.h"
#include "platform/sdl/sdl_backend.h"

namespace {

// One named texture of the manager stretched over the view's rectangle.
class TextureView : public IMView {
public:
    void Draw() override
    {
        if (IMResourceManager* manager = IMResourceManager::Instance())
            manager->DrawQuad(manager->FindTexture(name_), GetRect(), nullptr, 0xFFFFFFFFu, 0.0f);
        dirty_ = false;
    }

protected:
    std::wstring name_;
};

// Shows its hover picture while the cursor is over it.
class Picture : public IMViewControl<TextureView> {
public:
    Picture(Dialog* parent, const std::wstring& name, const RECT& rect, const std::wstring& hover_name = L"")
        : IMViewControl<TextureView>(parent)
        , normal_(name)
        , hover_(hover_name.empty() ? name : hover_name)
    {
        name_ = normal_;
        SetRect(rect);
    }
    long OnMouseEnter(const IMMouseEvent& ev) override
    {
        Show(hover_);
        return IMViewControl<TextureView>::OnMouseEnter(ev);
    }
    long OnMouseLeave(const IMMouseEvent& ev) override
    {
        Show(normal_);
        return IMViewControl<TextureView>::OnMouseLeave(ev);
    }

private:
    void Show(const std::wstring& name)
    {
        name_ = name;
        SetDirty(true);
    }

    std::wstring normal_;
    std::wstring hover_;
};

void BuildTour(IMWindow* window)
{
    new Picture(window, L"DefaultBackGround", RECT { 0, 0, 800, 600 });
    IMControl::Dialog* panel = CreateDialog(window, 200, 400, 150, 300, 0);
    new Picture(panel, L"StartPopStartButton", RECT { 40, 40, 200, 100 }, L"StartPopStartButtonNuv");
    new Picture(panel, L"OptionsButton", RECT { 40, 120, 200, 180 }, L"OptionsButtonNuv");
    auto* exit = new Picture(panel, L"CloseButton", RECT { 40, 200, 200, 260 }, L"CloseButtonNuv");
    IMControl::ConnectClick(exit, [window](const IMMouseEvent&) { return window->Close(); });

    auto* marker = new Picture(panel, L"RadioButtonChecked", RECT { 260, 40, 284, 64 });
    const DWORD step = window->AddTimer(30);
    window->ConnectTimer(step, [marker](const IMEvent&) -> long {
        const POINT p = marker->GetPos();
        marker->SetPos(p.x, p.y >= 236 ? 40 : p.y + 2);
        return 0;
    });
    IMControl::ConnectKeyDown(window, [window](const IMKeyboardEvent& ev) -> long {
        if (ev.wParam == VK_ESCAPE)
            window->Close();
        return 0;
    });
}

} // namespace

int main()
{
    RegisterEmbeddedAssets();
    platform::InstallSdlWindowBackend();
    const RECT rect { 0, 0, 800, 600 };
    IMWindow* window = nullptr;
    try {
        window = IMWindow::Create(nullptr, &rect, L"Лабиринт", false, nullptr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    BuildTour(window);
    const int code = IMWindow::Run(window);
    delete window;
    return code;
}
