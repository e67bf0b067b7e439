// The view of every dialog: it draws nothing.
#pragma once

#include "engine/views/view.h"

class IMEmptyView : public IMView {
public:
    void Draw() override { dirty_ = false; }
};
