#pragma once

class QObject;

// Choosing an engine type for one engine sets the same type for the other: from the control
// that chose it, up to its combo box ("TYPE") and its engine group ("G_ENGINE1" or
// "G_ENGINE2"), then the other group's "TYPE" beside it gets the text. Anything else is left
// alone.
void mirrorEngineType(QObject* source);
