; main.asm - walks a pattern from RAM over port B; each step waits a while
; (the start-up code that copies init_vars from its image is left out)
PLUSW1  equ     0xFE3
TABLAT  equ     0xFF5
TBLPTRL equ     0xFF6
TBLPTRH equ     0xFF7
TBLPTRU equ     0xFF8

        global  start
        extern  io_init, io_show, delay

reset   code    0x0000
        goto    start

hi_isr  code    0x0008
        retfie  1

lo_isr  code    0x0018
        retfie  0

access_vars udata_acs
step    res     1

.udata  udata
buffer  res     4

init_vars idata
pattern db      0x01, 0x02, 0x04, 0x08

timing  romdata
pause   db      0x40

main_code code
start   call    io_init, 0
        movff   pattern, buffer
        movff   pattern+1, buffer+1
        movff   pattern+2, buffer+2
        movff   pattern+3, buffer+3
        movlw   upper pause
        movwf   TBLPTRU, ACCESS
        movlw   high pause
        movwf   TBLPTRH, ACCESS
        movlw   low pause
        movwf   TBLPTRL, ACCESS
        clrf    step, ACCESS
loop    lfsr    1, buffer
        movf    step, w, ACCESS
        movf    PLUSW1, w, ACCESS
        rcall   io_show
        tblrd*
        movf    TABLAT, w, ACCESS
        call    delay, 0
        incf    step, f, ACCESS
        btfsc   step, 2, ACCESS
        clrf    step, ACCESS
        bra     loop
        end
