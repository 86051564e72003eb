#pragma once

#include "PageWidgets.h"

// What tells the payment ledger from the claim ledger: the names and captions of every
// control on the page. The two pages are otherwise built and behave the same.
struct LedgerSpec {
    QString page;
    QString toolbar;
    NamedControl addItem, deleteItem, printItem;

    QString grid;
    GridColumns columns;  // the last one, of width 0, holds the record's key

    // The record editor, in the order a person tabs through it.
    NamedControl nameEdit, firstAmountEdit, secondAmountEdit, datePicker, numberEdit, invoiceEdit;
    NamedControl memo;  // its caption is the title of the group around it
    NamedControl saveButton, cancelButton;
};

const LedgerSpec& paymentLedger();
const LedgerSpec& claimLedger();
