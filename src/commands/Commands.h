// The command handlers, one per file. Each runs inside a HandlerFrame and
// reads what it needs from the run's command record.
#pragma once

namespace telvarn {

struct Run;

void CreateTable(Run& run);
void AddField(Run& run);
void AddYesNoField(Run& run);
void AddDateField(Run& run);
void AddNumberField(Run& run);
void DeleteField(Run& run);
void ChangeProperties(Run& run);
void RenameField(Run& run);
void ChangeFieldCaption(Run& run);
void AddPrimaryKey(Run& run);
void AddIndex(Run& run);
void CreateStoredQuery(Run& run);
void LinkTable(Run& run);
void ExecuteSql(Run& run);
void ExecuteUtility(Run& run);

}  // namespace telvarn
