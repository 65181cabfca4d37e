#pragma once

#include <functional>

class KelNGObject;
class TwCore;

// The two web-service flows the template store opens: checking the service for new and updated
// templates, and uploading one template. The web-service library provides them; the application
// core cannot link it, so start-up installs a factory and the core makes its flows object with
// it. Without a factory the core has none and both store slots do nothing.
class TwWebFlows
{
public:
    using Factory = std::function<TwWebFlows*(TwCore*)>;

    virtual ~TwWebFlows();

    // Runs the template database dialog modally.
    virtual void checkForTemplateUpdatesInDatabase(bool quietMode) = 0;
    // Starts the upload of the object's template; returns at once.
    virtual void uploadTemplateToDatabase(KelNGObject* object) = 0;

    // A new flows object for the core (owned by the caller), or null without a factory.
    static TwWebFlows* create(TwCore* core);
    // An empty factory removes it.
    static void setFactory(Factory factory);
    static bool hasFactory();
};
