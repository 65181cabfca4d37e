#include "web/ServiceFailureText.h"

#include "app/ShownText.h"
#include "web/AbstractApiMethod.h"

QString ServiceFailureText::of(AbstractApiMethod const& call, bool answered, QString const& missing)
{
    QString failure = call.failure();
    if (failure.isEmpty())
        failure = missing;
    if (failure.isEmpty())
        failure = tr("The service's reply did not hold what was asked for.");
    failure = ShownText::bounded(failure, 300, 3);
    if (answered)
        return failure;
    QString const words = ShownText::bounded(call.serviceWords().trimmed(), 300, 4);
    // A reason phrase that is the service's message says it once.
    if (words.isEmpty() || failure.contains(words))
        return failure;
    return tr("%1\n\nThe service said: %2").arg(failure, words);
}
