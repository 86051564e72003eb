#pragma once

#include <QIcon>

// The two pictures of a tree node: a closed folder for a collapsed node, an open one for
// an expanded node, the same when the node is selected. Drawn here so that the program
// carries no picture files.
struct NodePictures {
    QIcon closed;
    QIcon open;

    // Needs a running QGuiApplication.
    static NodePictures draw();
};
