// A window's picture as a user would see its client area: the dialog's face, a plain look of its visible
// controls (frames, boxes, texts, list rows) and, over them, what its paint handler and client device
// contexts drew. While a picture folder is set (hostcam --pictures), each window writes its picture when
// it is shown, and again before the user's next step when it was drawn on since.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/canvas.h"

namespace plat {

constexpr Color kDialogFace = rgb(212, 208, 200);

// The controls' look only (window_look.cpp): all of them, or those a window's own painting lies over
// (statics, pictures, group boxes), or the child windows that paint themselves over it (the others).
enum class ControlLayer { All, UnderPainting, OverPainting };
void drawControls(Canvas& canvas, const Dialog& dlg, ControlLayer layer = ControlLayer::All);
[[nodiscard]] bool writeWindowPicture(const Dialog& dlg, const std::string& path);

// Why a picture must not be written at a path (it would replace a file the run reads or writes), "" when
// it may be.
using PictureGuard = std::function<std::string(const std::string& path)>;
// "" stops writing pictures. Setting a folder starts the numbering again; the guard is asked before each
// picture is written.
void setPictureFolder(std::string dir, PictureGuard guard = {});
const std::string& pictureFolder();
// The file for the window's next picture: DIR/<caption or template id>-<n>.png, n from 1 per name; the
// caption keeps letters, digits, '-', '_' and '.', other bytes become '_'.
std::string nextPicturePath(const Dialog& dlg);
// Whether a file name is one that nextPicturePath may give.
bool mayBePictureName(std::string_view name);
// Writes the next picture and records "dialog.picture ID \"PATH\"" (or "dialog.picture ID failed ...", or
// "dialog.picture ID skipped \"PATH\": WHY" when the guard refuses it). Returns the path, or "" when none
// was written (no file is left then).
std::string savePicture(const Dialog& dlg);
// The pictures that could not be written, or were skipped, since the folder was set, in order.
const std::vector<std::string>& failedPictures();

}  // namespace plat
