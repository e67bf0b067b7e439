// The factory of text labels.
#pragma once

#include <string>

#include "engine/controls/dialog_base.h"
#include "engine/controls/static_picture_base.h"
#include "engine/text/text_view.h"

// A text label in the default style as a child of parent on the given layer (joining it at the next frame),
// sized to its laid-out text, with its top-left corner at (x, y).
IMStaticPictureBase<IMTextView>* CreateText(
    IMDialogBase<IMEmptyView>* parent, int x, int y, const std::wstring& text, int layer = 0);
