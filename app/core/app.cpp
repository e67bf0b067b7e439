#include "app/core/app.h"

#include <boost/bind/bind.hpp>

App::App() = default;

App::~App() = default;

void App::RegisterScenes()
{
    RegisterScene(L"Dialog1", boost::bind(&App::BuildGameScreen, this, boost::placeholders::_1));
}
