#pragma once
// While one lives, a row set's database error that no dberror script handles shows no box: the
// caller reports it once, from the error text that the row set and its transaction keep.
namespace runtime {

class QuietDatabaseErrors {
public:
    QuietDatabaseErrors();
    ~QuietDatabaseErrors();
    QuietDatabaseErrors(const QuietDatabaseErrors&) = delete;
    QuietDatabaseErrors& operator=(const QuietDatabaseErrors&) = delete;

    static bool active();
};

}  // namespace runtime
