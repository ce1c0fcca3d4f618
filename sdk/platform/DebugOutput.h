// Linux stand-in for the platform's debugger output. There is no debugger console here, so the
// text goes to a sink that the process may install; by default it goes nowhere.
#pragma once

namespace Zarn::Platform {

// Receives each text handed to OutputDebugStringA, with the context it was installed with.
// Called on the writer's thread; the text is only valid during the call.
using DebugOutputSink = void (*)(const char* text, void* context);

// Installs `sink` (null restores the default, which drops the text) and its `context`.
void SetDebugOutputSink(DebugOutputSink sink, void* context) noexcept;

// Hands `text` (null is ignored) to the installed sink.
void OutputDebugStringA(const char* text) noexcept;

}  // namespace Zarn::Platform
