#include "runtime/core/Application.h"

#include <iostream>

#include "runtime/core/Dispatch.h"
#include "runtime/core/DispatchState.h"
#include "runtime/core/EventQueue.h"

namespace runtime {
namespace {

Application* g_application = nullptr;

std::vector<ErrorInfo>& unhandled() {
    static std::vector<ErrorInfo> errors;
    return errors;
}

}  // namespace

Application::Application(std::string className) : Object(std::move(className)) { g_application = this; }

Application::~Application() {
    if (g_application == this) g_application = nullptr;
}

Application* Application::instance() { return g_application; }

int Application::exec(std::string_view commandLine) {
    quitRequested_ = false;
    runGuarded([&] { trigger("open", {Value(commandLine)}); });
    if (!halted_ && !quitRequested_) EventLoop::run();
    if (!closeRan_) runClose();
    return 0;
}

void Application::quit() {
    quitRequested_ = true;
    EventLoop::quit();
}

void Application::runClose() {
    closeRan_ = true;
    runGuarded([&] { trigger("close"); });
}

void Application::haltClose() {
    if (!halted_) {
        halted_ = true;
        EventQueue::clear();
        // From inside `close` (an error while closing) the close is not entered again.
        if (!closeRan_) runClose();
        EventLoop::quit();
    }
    if (detail::depth() > 0) throw detail::HaltUnwind{};
}

void Application::routeError(const RuntimeError& error) {
    Application* app = g_application;
    const ErrorInfo& info = error.info();
    if (!app) {
        unhandled().push_back(info);
        std::cerr << "runtime error in " << info.object << "." << info.event << " line " << info.line << ": "
                  << info.text << "\n";
        return;
    }
    app->error_ = info;
    ++app->errorCount_;
    if (app->inSystemError_ || !app->hasEvent("systemerror")) {
        std::cerr << "runtime error in " << info.object << "." << info.event << " line " << info.line << ": "
                  << info.text << "\n";
        runGuarded([&] { app->haltClose(); });
        return;
    }
    app->inSystemError_ = true;
    runGuarded([&] { app->trigger("systemerror"); });
    app->inSystemError_ = false;
}

const std::vector<ErrorInfo>& Application::unhandledErrors() { return unhandled(); }

}  // namespace runtime
