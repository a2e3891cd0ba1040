/// @file
/// Saving the window's picture as a PNG file.
#ifndef KT_FRAMEWORK_KTUSCREENSHOT_H
#define KT_FRAMEWORK_KTUSCREENSHOT_H

/// Saves what the framework's window shows now as an 8-bit RGB PNG file at @p path.
///
/// The picture is read from the buffer that view frames draw into (the back buffer with the default
/// double-buffered display mode), at the window's present size in pixels. Called at the end of
/// `draw()` it saves the frame about to be shown; called between frames (from a key or mouse hook)
/// it saves the frame last shown, which that buffer still holds after the swap on drivers that copy
/// on swap, Mesa's among them. The file holds the top row of the window first and the bottom row
/// last, as image viewers expect. An existing file is replaced. The registry's screen-grab settings
/// (`KTU_SCREEN_GRAB_*`) and buffers are neither read nor changed.
///
/// @param path file to write; a relative path is taken from the current directory.
/// @return true when the whole file was written. Otherwise false, after one line on standard error
///         through ktuDebug at level 2 naming the reason: no file name, no window yet (before
///         ktuOpen), a window without pixels, or a file that cannot be created or written (missing
///         directory, no permission, full disk). A file left incomplete by a failed write is removed.
bool ktuSaveScreenshot(const char* path);

#endif
