// The steps AddPrimaryKey and AddIndex share once they hold the table: a
// one-field index with its flags taken from the line's texts.
#pragma once

#include <string>

namespace telvarn {

class HandlerFrame;
struct Run;

// `fieldReport` is the caption of the report made after the index field
// ("Creating Primary Key Field " or "Creating Indexed Field ").
void buildIndex(HandlerFrame& frame, Run& run, const std::string& fieldReport);

}  // namespace telvarn
