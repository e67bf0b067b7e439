#include "app/core/program.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <typeinfo>

#include <cxxabi.h>

#include "app/core/app.h"
#include "engine/window/window.h"
#include "platform/sdl/display_loss.h"
#include "platform/system/termination.h"

namespace {

// The exception being handled: its type and, for a standard exception, its message.
std::string DescribeCurrentException()
{
    const std::type_info* type = abi::__cxa_current_exception_type();
    if (!type)
        return "unknown";
    int status = 0;
    const std::unique_ptr<char, void (*)(void*)> readable(
        abi::__cxa_demangle(type->name(), nullptr, nullptr, &status), std::free);
    std::string text = readable ? readable.get() : type->name();
    try {
        throw;
    } catch (const std::exception& e) {
        text += std::string(": ") + e.what();
    } catch (...) {
    }
    return text;
}

} // namespace

int RunExercise()
{
    App::IMApp* app = nullptr;
    try {
        app = App::Instance(kExerciseCaption, false);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    platform::SetTerminationTarget(g_main_window_handle);
    // A lost display ends the process inside the loop; the report is saved as after an orderly close.
    platform::SetDisplayLossSave([app] { app->SaveReport(); });
    std::string fault;
    try {
        app->ShowStartScreen();
        IMWindow::Run(app->GetMainWindow());
    } catch (...) {
        // Whatever a handler let escape, the pupil's run is still saved below.
        fault = DescribeCurrentException();
    }
    platform::SetDisplayLossSave(nullptr);
    App::Release();
    if (fault.empty())
        return 0;
    std::fprintf(stderr, "The program stopped on an unexpected error (%s)\n", fault.c_str());
    return 1;
}
