#include "platform/window/presenter.h"

namespace platform {
namespace {
Presenter* g_presenter = nullptr;
}

void SetPresenter(Presenter* presenter)
{
    g_presenter = presenter;
}
Presenter* GetPresenter()
{
    return g_presenter;
}

} // namespace platform
