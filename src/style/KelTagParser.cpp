#include "style/KelTagParser.h"

KelTagParser::~KelTagParser() = default;
