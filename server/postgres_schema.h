#pragma once
#include <string>

struct pg_conn;

// Brings the database to the schema this server uses, step by step from the
// version recorded in schema_version, in one transaction. Several servers
// starting at once take turns. An empty answer means done; otherwise why not.
std::string migratePostgres(pg_conn* conn);
