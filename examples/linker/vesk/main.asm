; main.asm - steps a counter and shows it on port B, pausing between steps
; (the start-up code that copies init_vars from its image is left out)
INDF    equ     0x00
STATUS  equ     0x03
FSR     equ     0x04
PCLATH  equ     0x0A

        global  start
        extern  io_init, io_put, delay

reset   code    0x0000
        pagesel start
        goto    start

isr     code    0x0004
        movwf   w_save
        swapf   STATUS, w
        movwf   status_save
        swapf   status_save, w
        movwf   STATUS
        swapf   w_save, f
        swapf   w_save, w
        retfie

shared  udata_shr
w_save      res 1
status_save res 1

.udata  udata
counter res     1

init_vars idata
step    db      1
pause   db      0x40

main_code code
start   pagesel io_init
        call    io_init
        bankisel counter
        movlw   low counter
        movwf   FSR
        clrf    INDF
loop    banksel step
        movf    step, w
        banksel counter
        addwf   counter, f
        movf    counter, w
        pagesel io_put
        call    io_put
        banksel pause
        movf    pause, w
        pagesel delay
        call    delay
        pagesel loop
        goto    loop
        end
