#pragma once

class ContractQuery;

// One user command that writes several statements: it happens whole or not at all.
// Rolls back unless commit() was called; transactions may nest (savepoints), and only
// the outermost commit makes the work durable.
class Transaction {
public:
    explicit Transaction(ContractQuery& query);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

private:
    ContractQuery& query_;
    bool outermost_ = false;
    bool open_ = true;
};
