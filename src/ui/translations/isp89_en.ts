<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>TProgForm</name>
    <message numerus="yes">
        <source>%n page(s) written</source>
        <translation>
            <numerusform>%n page written</numerusform>
            <numerusform>%n pages written</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n page(s) verified</source>
        <translation>
            <numerusform>%n page verified</numerusform>
            <numerusform>%n pages verified</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n byte(s) differ</source>
        <translation>
            <numerusform>%n byte differs</numerusform>
            <numerusform>%n bytes differ</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>the chip is erased and %1 of %n page(s) written</source>
        <translation>
            <numerusform>the chip is erased and %1 of %n page written</numerusform>
            <numerusform>the chip is erased and %1 of %n pages written</numerusform>
        </translation>
    </message>
</context>
</TS>
