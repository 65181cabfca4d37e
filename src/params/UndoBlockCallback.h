#pragma once

class QString;

namespace KelUtils {

class IParameterContainer;

using UndoBlockBeginFunction = void (*)(IParameterContainer* container, QString const& text, int id,
                                        void* userData);
using UndoBlockEndFunction = void (*)(IParameterContainer* container, bool flag, void* userData);

// The container only forwards undo brackets; the application turns them into undo steps.
struct UndoBlockCallback
{
    UndoBlockBeginFunction begin = nullptr;
    UndoBlockEndFunction end = nullptr;
    void* userData = nullptr;
};

} // namespace KelUtils
