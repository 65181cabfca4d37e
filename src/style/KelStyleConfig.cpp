#include "style/KelStyleConfig.h"

#include "style/KelStyleParser.h"

KelStyleConfig* KelStyleConfig::instance()
{
    // Constructed on first use so that no other static's initialisation order can see it
    // unconstructed; it lives until process exit.
    static KelStyleConfig store;
    return &store;
}

bool KelStyleConfig::initialize(QString const& fileName, KelStyleParser* parser, bool lenient)
{
    if (!parser)
        return false;
    return parser->load(fileName, *instance(), lenient);
}

void KelStyleConfig::add(QString const& key, QVariant const& value)
{
    m_values.insert(key, value);
}

bool KelStyleConfig::copy(QString const& from, QString const& to)
{
    const auto it = m_values.constFind(from);
    if (it == m_values.cend())
        return false;
    // Copy before inserting: the insertion may rehash and move the source entry.
    const QVariant value = *it;
    m_values.insert(to, value);
    return true;
}

bool KelStyleConfig::contains(QString const& key) const
{
    return m_values.contains(key);
}

void KelStyleConfig::clear()
{
    m_values.clear();
}

QMetaType KelStyleConfig::gradientMetaType()
{
    static const QMetaType type = QMetaType(qRegisterMetaType<QLinearGradient>("QLinearGradient"));
    return type;
}
