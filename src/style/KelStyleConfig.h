#pragma once

#include <QHash>
#include <QLinearGradient>
#include <QMetaType>
#include <QString>
#include <QVariant>

#include <type_traits>

class KelStyleParser;

// Gradients are not a built-in variant type; the style file reader and the lookups agree on
// this one registered name.
Q_DECLARE_METATYPE(QLinearGradient)

// The process-wide look-and-feel store: dotted key (exact, case-sensitive) to value.
// Filled once at start-up, then only read on the GUI thread; it has no lock.
// A missing key, or a value of a kind that cannot become the asked type, silently yields that
// type's default, so painting code never has to check.
class KelStyleConfig
{
public:
    static KelStyleConfig* instance();

    KelStyleConfig(KelStyleConfig const&) = delete;
    KelStyleConfig& operator=(KelStyleConfig const&) = delete;

    // Loads the style file `fileName` from the resources folder into the process-wide store,
    // whichever object it is called on, through `parser` (owned by the caller, reusable for a
    // second attempt). Strict unless `lenient`. Nothing is rolled back after a failure.
    bool initialize(QString const& fileName, KelStyleParser* parser, bool lenient);

    // Inserts or replaces.
    void add(QString const& key, QVariant const& value);

    // Sets `to` to the value `from` holds now; false, and nothing created, when `from` is absent.
    bool copy(QString const& from, QString const& to);

    bool contains(QString const& key) const;

    // Drops every value. The store outlives the application object, and pixmaps must not be
    // destroyed after it, so the application's post-routine calls this.
    void clear();

    // The variant type under which gradients are stored, registered as "QLinearGradient" on
    // first use.
    static QMetaType gradientMetaType();

    // The value under `key` as T: a stored T as it is; another kind through the standard variant
    // conversion (a colour name as a colour, "true" as a flag, an image as a pixmap);
    // otherwise T's default. A gradient comes only from a stored gradient.
    template<typename T>
    T value(QString const& key) const
    {
        const auto it = m_values.constFind(key);
        if (it == m_values.cend())
            return T();
        if constexpr (std::is_same_v<T, QLinearGradient>) {
            if (it->metaType() != gradientMetaType())
                return T();
            return *static_cast<QLinearGradient const*>(it->constData());
        } else {
            return qvariant_cast<T>(*it);
        }
    }

protected:
    KelStyleConfig() = default;
    ~KelStyleConfig() = default;

private:
    QHash<QString, QVariant> m_values;
};
