#pragma once

#include "LedgerReport.h"
#include "PageWidgets.h"

// What tells the payment ledger from the claim ledger: the table and columns behind the
// page, its messages, and the names and captions of every control on the page. The two
// pages are otherwise built and behave the same.
struct LedgerSpec {
    QString page;
    QString toolbar;
    NamedControl addItem, deleteItem, printItem, exportItem;

    QString grid;
    GridColumns columns;  // the last one, of width 0, holds the record's key

    // The record editor, in the order a person tabs through it.
    NamedControl nameEdit, firstAmountEdit, secondAmountEdit, datePicker, numberEdit, invoiceEdit;
    NamedControl memo;  // its caption is the title of the group around it
    NamedControl saveButton, cancelButton;

    // The table of the ledger and the columns whose names differ between the two; the
    // second amount, the date, the two numbers and the remarks are named alike in both.
    QString table;
    QString keyColumn;
    QString nameColumn;
    QString firstAmountColumn;  // its sum over a contract is read under <column>sum

    QString firstAmountInvalid, secondAmountInvalid;  // an amount that is not a number
    QString deleteQuestion;

    LedgerKind kind;  // which ledger the printed and exported lists show
};

const LedgerSpec& paymentLedger();
const LedgerSpec& claimLedger();
