************************************************************
*  A serial echo in TI's own notation: >hex, ?binary, AORG,
*  BSS, DATA, TEXT, labels without colons, comments without
*  semicolons after the operands.
************************************************************
        IDT  'ECHO'
ACIA    EQU  >01F0              ACIA status port, by address
        AORG >0004
RD      BSS  2                  register pair RD: R4 high, R5 low
CNT     BSS  1                  register R6
        AORG >F800
START   MOV  %>7F,B             the stack
        LDSP
        MOVD %MSG,RD            the greeting
        MOV  %?00000101,CNT
LOOP    LDA  *RD
        JZ   WAIT
        MOVP A,ACIA+1           send it
        INC  RD
        JNC  LOOP
        INC  RD-1
        JMP  LOOP
WAIT    MOVP ACIA,A             status
        BTJZ %>01,A,WAIT
        MOVP ACIA+1,A
        CMP  %'\r',A
        JNE  WAIT
        DJNZ CNT,WAIT
        BR   @START
MSG     TEXT 'Hello'
        BYTE >0D,>0A,0
        DATA START,>1234
        AORG >FFFE
        DATA START
        END
