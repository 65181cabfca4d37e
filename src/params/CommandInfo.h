#pragma once

#include "params/Geometry.h"

#include <QList>
#include <QVariant>
#include <QtGlobal>

namespace KelUtils {

class StatusObserver;

// One entry of a static, caller-owned command-name table. A table ends with an entry whose id
// is 0; real ids are non-zero.
struct NCI_CommandName
{
    char const* name;
    void const* data; // free for the table's owner; the registry never reads it
    int id;
};

struct NCI_Command
{
    int id = 0;
    QVariantList arguments;
};

struct NCI_ReturnInfo
{
    int id = 0;
    int result = 0; // 0 success, -1 failure
    QVariant value;
};

struct NCI_CommandSingle
{
    int id = 0;
    QVariantList arguments;
};

// The transform a command invocation works in: a matrix and its inverse, six factors and flags.
struct NCI_Transform
{
    float matrix[3][4];
    float inverse[3][4];
    float factors[6];
    quint8 flags;
};

inline constexpr NCI_Transform g_unity_transform = {
    {{1.0f, 0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f, 0.0f}},
    {{1.0f, 0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f, 0.0f}},
    {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f},
    0,
};

// The argument bundle of a command invocation. It points at the caller's objects and owns
// none of them.
struct NCI_CommandInfo
{
    NCI_CommandInfo(QList<NCI_Command>* commands, QList<NCI_ReturnInfo>* returns,
                    Vector const* vector, Ray const* ray, StatusObserver* status)
        : commands(commands), returns(returns), vector(vector), ray(ray), status(status)
    {
    }
    NCI_CommandInfo(QList<NCI_Command>& commands, QList<NCI_ReturnInfo>& returns,
                    Vector const& vector, Ray const& ray)
        : commands(&commands), returns(&returns), vector(&vector), ray(&ray)
    {
    }

    QList<NCI_Command>* commands = nullptr;
    QList<NCI_ReturnInfo>* returns = nullptr;
    Vector const* vector = nullptr;
    Ray const* ray = nullptr;
    void* extra = nullptr;
    StatusObserver* status = nullptr; // may be null
    NCI_Transform const* transform = &g_unity_transform;
};

} // namespace KelUtils
