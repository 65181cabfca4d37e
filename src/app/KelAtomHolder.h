#pragma once

#include <functional>

class QWidget;

namespace KelUtils {
class Parameter;
}

// The editor of one exposed template parameter (an attribute's "atom"). It owns one stand-alone
// parameter and deletes it with itself. The node-editing library installs a factory that makes
// real editor widgets; until then create() gives a holder without widgets.
//
// An attribute keeps the holder as a void* variant: always store and read it as KelAtomHolder*
// (never as a derived pointer) so that the cast back is exact.
class KelAtomHolder
{
public:
    using Factory = std::function<KelAtomHolder*(KelUtils::Parameter*)>;

    // Takes ownership of the parameter (may be null).
    explicit KelAtomHolder(KelUtils::Parameter* parameter);
    virtual ~KelAtomHolder();

    KelAtomHolder(KelAtomHolder const&) = delete;
    KelAtomHolder& operator=(KelAtomHolder const&) = delete;

    // The parameter this editor edits; stays owned by the editor.
    KelUtils::Parameter* parameter() const { return m_parameter; }

    // Builds the editor's widgets for the kind of its parameter.
    virtual void createUI() = 0;
    // The editor's top widget, or null when it has none.
    virtual QWidget* widget() const = 0;

    // Makes an editor for the parameter (ownership passes to the editor) through the installed
    // factory, or a holder without widgets when none is installed. Null for a null parameter.
    static KelAtomHolder* create(KelUtils::Parameter* parameter);
    // An empty factory restores the holder without widgets.
    static void setFactory(Factory factory);

private:
    KelUtils::Parameter* m_parameter;
};
