#pragma once
#include <string>

// What the web build's answers read from the client's headers and say in
// their own, kept apart from the files so each rule can be checked alone.

// Whether an Accept-Encoding header lets the answer come gzipped: gzip (or
// x-gzip, or *) listed with a weight above zero.
bool acceptsGzip(const std::string& acceptEncoding);
// Whether an If-None-Match header names this entity tag, compared weakly as
// that header asks, or is *.
bool matchesEntityTag(const std::string& ifNoneMatch, const std::string& etag);
// NAME.<16 lowercase hex>.EXT: such a name changes whenever its bytes do, so
// it may be cached for good.
bool isContentAddressed(const std::string& name);
// Content-Type by the name's extension; unknown ones are plain bytes.
const char* webMediaType(const std::string& name);
