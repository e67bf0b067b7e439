// Inside the report: errors turned into reasons, and lines for the user that never throw.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include <xercesc/dom/DOMException.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/XMLException.hpp>

#include "platform/system/debug_output.h"
#include "platform/text/utf8.h"
#include "report/xml_text.h"

namespace report {

// A zero character would silently cut the path short and name another file.
inline std::string DiskPath(const std::wstring& path)
{
    if (path.find(L'\0') != std::wstring::npos)
        throw std::invalid_argument("the file name holds a zero character");
    return platform::ToUtf8(path);
}

template <class T> struct Releaser {
    void operator()(T* object) const { object->release(); }
};
template <class T> using Released = std::unique_ptr<T, Releaser<T>>;

// Runs action and turns whatever it throws into a reason; errors of the XML library stop here.
template <class Action> bool Guarded(Action&& action, std::string& error)
{
    try {
        return action();
    } catch (const xercesc::XMLException& e) {
        error = Utf8Of(e.getMessage());
    } catch (const xercesc::DOMException& e) {
        error = Utf8Of(e.getMessage());
    } catch (const xercesc::OutOfMemoryException&) {
        error = "out of memory";
    } catch (const std::exception& e) {
        error = e.what();
    } catch (...) {
        error = "unknown error";
    }
    return false;
}

// A line for the user, made and written so that nothing escapes: without memory for it, it goes unsaid.
template <class Text> void SayGuarded(Text&& text)
{
    std::string ignored;
    Guarded(
        [&] {
            platform::TellUser(text());
            return true;
        },
        ignored);
}

} // namespace report
