#pragma once

#include "Platform/Foundation/XMLParser.h"

class SPXML;

// Told of each error the parser reports while a reader parses.
class SPXMLErrorDelegate {
  public:
    virtual ~SPXMLErrorDelegate() = default;
    virtual void parserParseErrorOccurred(SPXML& parser, const platform::XMLParseError& error) = 0;
};
