// Opaque platform handles as the portable core sees them. The core never looks inside; the
// Win32 adapters convert to HANDLE, HWND and HINSTANCE at the boundary.
#pragma once

namespace tideglass {

using NativeHandle = void*;    // a kernel handle (console buffers, processes, threads)
using WindowHandle = void*;    // a window (the widget's, the console's, a dialog's)
using InstanceHandle = void*;  // the plug-in module's instance

}  // namespace tideglass
